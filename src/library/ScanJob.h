#pragma once
// The scan command's background work: walk the music folders (or one folder) without the
// application lock, then, unless the player is quitting, merge every scanned root into
// the repository under the lock, which the store's flush lets go while it writes a file.

#include <atomic>
#include <functional>
#include <span>
#include <string_view>

#include "library/SongMoves.h"

class Repository;
class RepositoryFolder;
class ScanMark;
class Scanner;
class WakingMutex;

struct ScanJob {
    Repository& repository;
    Scanner& scanner;
    WakingMutex& lock;  // the application lock
    const std::atomic<bool>& quitRequested;
    // Under the lock: the folders of the current view, where a root that is also a
    // subfolder of another root is found. May be empty.
    std::function<std::span<RepositoryFolder* const>()> viewFolders;
    // Under the lock, after the merge; true asks for the first page (a full scan). May be
    // empty.
    std::function<void(bool resetPage)> rebuildView;
    // Set while the job runs and cleared once its merge is on disk. May be null.
    ScanMark* mark = nullptr;
    // Reads the tags of the new files that may be songs moved. May be empty: then only
    // songs whose tags name nothing are followed.
    SongMoves::ReadTags readTags = {};
};

// The job on the calling thread: `singlePath` alone, or every music folder when it is
// empty (a full scan, which also stores REPOSITORY_NUM_FILES). Clears the scanner at the
// end. A job stopped by quitting leaves its mark, so the next start scans again.
void runScanJob(const ScanJob& job, std::string_view singlePath);
