#pragma once
// The disk half of a scan: walks music folders into a private scan tree without any lock.
// Its root gets one PATH node per root that could be listed; a directory is a PATH node
// (full path) with a NAME child (below the root), then PATH children for subdirectories
// and FILE children for other files, in listing order. Only the scan thread walks; the two
// counters may be read from any thread meanwhile.

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "library/FileKinds.h"
#include "storage/Node.h"

struct DirEntry;

class Scanner {
public:
    // Longest full path and entry name the walk takes in; longer ones are skipped.
    static constexpr size_t kMaxPath = 4095;
    static constexpr size_t kMaxName = 255;

    Scanner() = default;
    virtual ~Scanner();
    Scanner(const Scanner&) = delete;
    Scanner& operator=(const Scanner&) = delete;

    // Asked before each directory is listed; false stops the walk from entering it.
    virtual bool shouldEnter(std::string_view path);

    // Adds the root's PATH subtree (one trailing "/" dropped) when the root can be listed.
    void scanRoot(std::string_view rootPath);
    // Empties the scan tree and zeroes the counters.
    void clear();

    const Node& tree() const { return tree_; }
    int32_t directoriesSeen() const { return directories_; }
    int32_t filesSeen() const { return files_; }

private:
    bool walk(Node& directory, const std::string& path);
    void addEntry(Node& directory, const std::string& path, const DirEntry& entry);
    void addDirectory(Node& directory, std::string fullPath, std::string_view name, DirectoryId id);
    bool onCurrentWalk(DirectoryId id) const;

    Node tree_;
    std::atomic<int32_t> directories_{0};
    std::atomic<int32_t> files_{0};
    // The directories from the root down to the one being listed: a link back to one of
    // them would never end.
    std::vector<DirectoryId> walkChain_;
};

// The scanner of a running player: it stops entering directories once quitting begins.
class QuitAwareScanner final : public Scanner {
public:
    explicit QuitAwareScanner(const std::atomic<bool>& quitRequested) : quitRequested_(quitRequested) {}
    bool shouldEnter(std::string_view) override { return !quitRequested_; }

private:
    const std::atomic<bool>& quitRequested_;
};
