// Where a library's memory goes, for a generated library of 100,000 files (or the sizes
// given): the resident memory the process gains per entry from an empty start through the
// scan, merge and view rebuild, the reading of every tag and the store's flush, and then
// the parts of it: the entry and field nodes (used slots, and the pool's pages with their
// free slots), the items, the texts too long for their nodes, the cluster files' bytes,
// which closing the store gives back, the library code pages mapped once, and of the rest
// the heap blocks in use as the allocator counts them (the remainder is free heap the system
// could not be given back, and the pools' blocks beyond their pages); and the rest again by
// the mappings that hold it (/proc/self/smaps).
//
//   bench_memory [files ...]      (default: 100000)
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "GeneratedLibrary.h"
#include "audio/AudioEngine.h"
#include "audio/PendingTags.h"
#include "library/LibraryItem.h"
#include "library/LibraryItemPool.h"
#include "library/Repository.h"
#include "library/RepositoryFolder.h"
#include "library/ScanJob.h"
#include "library/Scanner.h"
#include "library/StatusBoard.h"
#include "platform/Memory.h"
#include "platform/WakeSignal.h"
#include "platform/WakingMutex.h"
#include "storage/FileStore.h"
#include "storage/Node.h"
#include "storage/NodeFile.h"
#include "storage/NodePool.h"
#include "views/FilterSet.h"
#include "views/LibraryView.h"

namespace fs = std::filesystem;

namespace {


struct PoolFigures {
    size_t used;
    size_t slots;  // over all pages
};

// The resident pages that map files: the code of the libraries the tag readers load once.
double residentFileBytes() {
    std::ifstream statm("/proc/self/statm");
    size_t pages = 0;
    size_t resident = 0;
    size_t fileBacked = 0;
    statm >> pages >> resident >> fileBacked;
    return static_cast<double>(fileBacked * static_cast<size_t>(sysconf(_SC_PAGESIZE)));
}

// Resident bytes by kind of mapping, from /proc/self/smaps.
struct ResidentKinds {
    double poolBlocks = 0;  // the pools' blocks, the only mappings advised against huge pages
    double heap = 0;        // the allocator's other mappings, and the threads' stacks
    double files = 0;
};

ResidentKinds residentKinds() {
    ResidentKinds kinds;
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    std::string name;
    bool anonymous = false;
    double rss = 0;
    const auto add = [&](const std::string& flags) {
        if (!anonymous) {
            kinds.files += rss;
        } else if (flags.find(" nh") != std::string::npos) {
            kinds.poolBlocks += rss;
        } else {
            kinds.heap += rss;
        }
    };
    while (std::getline(smaps, line)) {
        if (line.rfind("Rss:", 0) == 0) {
            rss = std::stod(line.substr(4)) * 1024;
        } else if (line.rfind("VmFlags:", 0) == 0) {
            add(line);
        } else if (line.find('-') < line.find(' ') && line.find(':') > line.find(' ')) {
            // range perms offset device inode [name]
            std::istringstream fields(line);
            std::string range, perms, offset, device, inode;
            fields >> range >> perms >> offset >> device >> inode;
            name.clear();
            std::getline(fields >> std::ws, name);
            anonymous = inode == "0";
        }
    }
    return kinds;
}

PoolFigures poolFigures(const CachedPool& pool) {
    const size_t slots = pool.pool().pageCount() * pool.pool().slotsPerPage();
    return {slots - pool.pool().freeCount(), slots};
}

void readAllTags(Repository& repository, AudioEngine& engine, StatusBoard& board, WakingMutex& lock) {
    PendingTagReader tags(engine, board, 2);
    for (;;) {
        {
            const std::lock_guard guard(lock);
            if (tags.storeAndPost(repository, 2) == 0) return;
            if (tags.hasReadValues()) continue;
        }
        pollfd done{tags.done().handle(), POLLIN, 0};
        poll(&done, 1, 1000);
        tags.done().drain();
    }
}

int run(int files) {
    const std::string library = libraryFor(files);
    if (library.empty()) return 1;
    const std::string work = "/tmp/velmorant-bench-memory-" + std::to_string(getpid());
    fs::create_directories(work + "/database");
    const auto perEntry = [](double bytes, size_t entries) { return bytes / static_cast<double>(entries); };
    const auto rss = [] { return static_cast<double>(residentMemoryBytes()); };
    const auto heapInUse = [] { return static_cast<double>(heapBytesInUse()); };

    FileStore store;
    store.storeOpen(work + "/database");
    theFileStore = &store;
    StatusBoard board;
    const auto engine = createAudioEngine(board);
    Repository repository;
    FilterSet filters(board, [] { return static_cast<int64_t>(std::time(nullptr)); });
    LibraryView view(repository, filters);
    Node settings;
    settings.appendChild("USER", "username")->appendChild("REPOSITORY_PATHS", library);
    saveNodeFile(settings, work + "/repository.vmr", true);
    WakingMutex lock;
    const std::atomic<bool> quit{false};
    QuitAwareScanner scanner(quit);
    returnFreeMemoryToSystem();
    const double empty = rss();
    const double emptyHeap = heapInUse();
    const double emptyFiles = residentFileBytes();
    const ResidentKinds emptyKinds = residentKinds();

    const QuietLog quiet;
    repository.open(work + "/repository.vmr", work + "/radio2.vmr");
    runScanJob(ScanJob{repository, scanner, lock, quit, [&view] { return view.folders(); },
                       [&view](bool resetPage) { view.rebuildView(resetPage); }},
               "");
    scanner.clear();
    const size_t entries = repository.pendingTags.size();
    returnFreeMemoryToSystem();
    const double scanned = rss();
    const double scannedHeap = residentKinds().heap;
    const double scannedHeapInUse = heapInUse();
    const PoolFigures nodesScanned = poolFigures(nodePool());

    readAllTags(repository, *engine, board, lock);
    store.storeFlush();
    returnFreeMemoryToSystem();
    const double tagged = rss();
    const PoolFigures nodes = poolFigures(nodePool());
    const PoolFigures items = poolFigures(theLibraryItemPool);
    const PoolFigures shortTexts = poolFigures(textPool(1));
    const PoolFigures longTexts = poolFigures(textPool(2));
    const size_t textsUsed = shortTexts.used + longTexts.used;
    const size_t textBytesUsed = shortTexts.used * kTextPoolSlotBytes[1] + longTexts.used * kTextPoolSlotBytes[2];
    const size_t textBytes = shortTexts.slots * kTextPoolSlotBytes[1] + longTexts.slots * kTextPoolSlotBytes[2];

    store.storeClose();
    returnFreeMemoryToSystem();
    const double closed = rss();
    const double closedHeap = heapInUse();
    const double closedFiles = residentFileBytes();
    const ResidentKinds closedKinds = residentKinds();
    size_t folders = 0;
    size_t pathBytes = 0;
    std::vector<const RepositoryFolder*> walk;
    for (const auto& folder : repository.folders()) walk.push_back(folder.get());
    while (!walk.empty()) {
        const RepositoryFolder* folder = walk.back();
        walk.pop_back();
        ++folders;
        pathBytes += folder->path().size();
        for (const auto& child : folder->children()) walk.push_back(child.get());
    }

    std::fprintf(stderr,
                 "%d files, %zu entries, bytes per entry above an empty start:\n"
                 "  after scan, merge and view rebuild: %.0f (nodes %.1f per entry)\n"
                 "  after every tag is read and the store flushed: %.0f, of which\n"
                 "    nodes: %.1f per entry of %zu bytes = %.0f used, %.0f with the pool's free slots\n"
                 "    items: %.0f used (%zu bytes each), %.0f with free slots\n"
                 "    texts too long to stay in their nodes: %.1f per entry in the text pools = %.0f used,"
                 " %.0f with free slots\n"
                 "    cluster files' bytes held while loaded: %.0f (closing the store gave them back)\n"
                 "    code pages of the libraries the tag readers load, once: %.0f\n"
                 "    the rest (folders, indexes, view lists, the pools' unused pages, the heap): %.0f,\n"
                 "      of which heap blocks in use: %.0f\n",
                 files, entries, perEntry(scanned - empty, entries),
                 static_cast<double>(nodesScanned.used) / static_cast<double>(entries), perEntry(tagged - empty, entries),
                 static_cast<double>(nodes.used) / static_cast<double>(entries), sizeof(Node),
                 perEntry(static_cast<double>(nodes.used * sizeof(Node)), entries),
                 perEntry(static_cast<double>(nodes.slots * sizeof(Node)), entries),
                 perEntry(static_cast<double>(items.used * sizeof(LibraryItem)), entries), sizeof(LibraryItem),
                 perEntry(static_cast<double>(items.slots * sizeof(LibraryItem)), entries),
                 static_cast<double>(textsUsed) / static_cast<double>(entries),
                 perEntry(static_cast<double>(textBytesUsed), entries), perEntry(static_cast<double>(textBytes), entries),
                 perEntry(tagged - closed, entries), perEntry(closedFiles - emptyFiles, entries),
                 perEntry(closed - empty - (closedFiles - emptyFiles) -
                              static_cast<double>(nodes.slots * sizeof(Node) + items.slots * sizeof(LibraryItem) + textBytes),
                          entries),
                 perEntry(closedHeap - emptyHeap, entries));
    const double poolSlots =
        static_cast<double>(nodes.slots * sizeof(Node) + items.slots * sizeof(LibraryItem) + textBytes);
    std::fprintf(stderr,
                 "  the rest by mapping: the pools' blocks beyond their pages' slots %.0f; the heap and the"
                 " threads' stacks %.0f, of which blocks in use %.0f and free bytes between them %.0f\n"
                 "    the heap after the scan: %.0f resident, %.0f in use (what goes later leaves the gaps)\n"
                 "    %zu folders (%.2f per entry) of %zu bytes, their paths %.0f bytes on average\n",
                 perEntry(closedKinds.poolBlocks - emptyKinds.poolBlocks - poolSlots, entries),
                 perEntry(closedKinds.heap - emptyKinds.heap, entries), perEntry(closedHeap - emptyHeap, entries),
                 perEntry(closedKinds.heap - emptyKinds.heap - (closedHeap - emptyHeap), entries),
                 perEntry(scannedHeap - emptyKinds.heap, entries), perEntry(scannedHeapInUse - emptyHeap, entries),
                 folders, static_cast<double>(folders) / static_cast<double>(entries), sizeof(RepositoryFolder),
                 static_cast<double>(pathBytes) / static_cast<double>(folders));
    theFileStore = nullptr;
    fs::remove_all(work);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {100000};
    int failed = 0;
    for (const int files : sizes) {
        const pid_t child = fork();
        if (child == 0) std::_Exit(run(files));
        int status = 0;
        waitpid(child, &status, 0);
        failed += !WIFEXITED(status) || WEXITSTATUS(status) != 0;
    }
    return failed;
}
