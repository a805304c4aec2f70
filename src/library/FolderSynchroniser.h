#pragma once
// One pass of bringing a folder in line with its scanned directory: new files and
// subfolders are added, vanished ones removed (entries retired, subfolders detached), the
// folder picture chosen and the folder saved when anything changed. With SongMoves, vanished
// songs go to it instead of being retired here, and added songs are reported to it. Runs
// under the application lock.

#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class Node;
class Repository;
class RepositoryFolder;
class SongMoves;

class FolderSynchroniser {
public:
    FolderSynchroniser(RepositoryFolder& folder, Repository& repository, SongMoves* moves);
    // `scanned` is the directory's PATH node of the scan tree.
    void run(const Node& scanned);

private:
    void collect();
    void visitDirectory(const Node& scanned);
    void addDirectory(const Node& scanned);
    void visitFile(std::string_view name);
    void matchOrAdd(std::unordered_map<std::string_view, Node*>& existing, std::string_view kind,
                    std::string_view name);
    void removeVanishedEntries();
    void detachVanishedFolders();

    RepositoryFolder& folder_;
    Repository& repository_;
    SongMoves* moves_;
    std::vector<Node*> entries_;  // AUDIO, IMAGE and RADIO entries in content order
    std::unordered_map<std::string_view, Node*> audio_;  // the first entry of each name
    std::unordered_map<std::string_view, Node*> images_;
    std::unordered_set<const Node*> found_;  // entries and LIST nodes met on disk
    std::vector<Node*> lists_;               // LIST entries in content order
    std::unordered_map<std::string_view, RepositoryFolder*> subfolders_;  // by path, oldest first
    int pictures_ = 0;
    bool changed_ = false;
};
