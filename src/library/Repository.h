#pragma once
// The library: the user settings (repository.vmr), the radio list, one folder per music
// folder and the holder of folders that vanished from disk, the item index and the
// entries waiting for their tags. Everything here is used under the application lock.

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "library/EqualiserSetting.h"
#include "library/LibraryItemIndex.h"
#include "library/RadioList.h"
#include "library/RepositoryFolder.h"
#include "library/Revision.h"
#include "storage/Node.h"
#include "text/Str.h"
#include "text/StrList.h"

class SongMoves;
struct LibraryItem;

class Repository {
public:
    // Told about an item just before it is retired, so holders of its pointer let go.
    using RetireHook = std::function<void(LibraryItem& item)>;

    Repository();
    ~Repository();
    Repository(const Repository&) = delete;
    Repository& operator=(const Repository&) = delete;

    // The library part of start-up: prints "Opening repository...\n", reads the settings
    // file and the radio list, turns an older file's LIST children into REPOSITORY_PATHS
    // (saving the file), and loads one top-level folder per line of REPOSITORY_PATHS.
    // The caller goes on: filters before this, then the FILTER, SEARCH, SHUFFLE and FLAT
    // settings, the view rebuild, the queue and play position, and "Done.\n\n".
    void open(std::string_view filePath, std::string_view radioListPath);
    // Writes the settings root to filePath (a disk file, replaced atomically).
    bool saveSettings() const;

    // The USER node, created with the value "username" when missing.
    Node& userNode();
    // The stored value, else the setting's default.
    Str getSetting(std::string_view name);
    // Stores the value (PAGE_MAX_MATCHES at least 10) and writes the file only when it
    // changed; equaliser names go to the equaliser hook and raise eqRevision every time. A
    // pair that isStorableSetting refuses changes nothing.
    void setSetting(std::string_view name, std::string_view value);
    // False, with a log line, for a name that is empty or holds a blank or line break, and for
    // a value with a line break unless the setting is a list of lines (REPOSITORY_PATHS).
    static bool isStorableSetting(std::string_view name, std::string_view value);
    void setEqualiserHook(EqualiserHook hook) { equaliserHook_ = std::move(hook); }
    // The lines of REPOSITORY_PATHS, trimmed, without empty ones.
    StrList musicFolderPaths();

    // Merges one scanned root into the top-level folder of its path, else the view folder
    // of that path (`viewFolders`, in view order), else a new top-level folder; vanished and
    // added songs go to `moves` when given.
    bool syncRoot(const Node& scannedRoot, std::span<RepositoryFolder* const> viewFolders,
                  SongMoves* moves = nullptr);
    // Before an entry node is destroyed: its item (if any) leaves pendingTags, the retire
    // hook and the index.
    void retireEntry(Node& entry);
    void setRetireHook(RetireHook hook) { retireHook_ = std::move(hook); }
    // Retires and removes one of the user's own radio stations; false for any other id.
    bool removeOwnStation(int32_t id);

    const Str& filePath() const { return filePath_; }
    Node& settings() { return settings_; }
    // Oldest first: the music folders in their configured order.
    const RepositoryFolder::Children& folders() const { return folders_; }
    RepositoryFolder& detachedFolders() { return detached_; }
    LibraryItemIndex& items() { return items_; }
    RadioList& radioList() { return radioList_; }

    Revision revision;    // REVISION
    Revision eqRevision;  // EQ_REVISION
    // What the last merged scan found: songs seen, added and removed; `scans` counts the
    // merges, so a client can tell a new summary from one it showed.
    struct ScanTally {
        int32_t files = 0;
        int32_t added = 0;
        int32_t removed = 0;
        int32_t scans = 0;
    };
    ScanTally scanTally;
    // Entries whose tags are still to be read; a stack, the last one is read first.
    std::vector<LibraryItem*> pendingTags;

private:
    RepositoryFolder& addTopLevelFolder();

    Str filePath_;
    Node settings_;
    RepositoryFolder::Children folders_;
    RepositoryFolder detached_;
    EqualiserHook equaliserHook_;
    RetireHook retireHook_;
    LibraryItemIndex items_;  // before the radio list, which makes its station items here
    RadioList radioList_{items_};
};
