#include "library/ScanJob.h"

#include "library/Repository.h"
#include "library/ScanMark.h"
#include "library/SongMoves.h"
#include "library/Scanner.h"
#include "platform/Memory.h"
#include "platform/WakingMutex.h"
#include "text/StrList.h"

namespace {

StrList chooseAndMarkRoots(const ScanJob& job, std::string_view singlePath) {
    const std::lock_guard guard(job.lock);
    StrList roots;
    if (singlePath.empty()) {
        roots = job.repository.musicFolderPaths();
    } else {
        roots.add(singlePath);
    }
    if (job.mark) job.mark->set(roots, singlePath.empty());
    return roots;
}

void merge(const ScanJob& job, bool fullScan) {
    const std::lock_guard guard(job.lock);
    Repository::ScanTally& tally = job.repository.scanTally;
    tally = {.files = job.scanner.filesSeen(), .scans = tally.scans + 1};
    const std::span<RepositoryFolder* const> viewFolders =
        job.viewFolders ? job.viewFolders() : std::span<RepositoryFolder* const>();
    SongMoves moves(job.repository, job.readTags);
    for (const Node& root : job.scanner.tree().children()) job.repository.syncRoot(root, viewFolders, &moves);
    moves.settle();
    if (job.rebuildView) job.rebuildView(fullScan);
    if (fullScan) {
        job.repository.setSetting("REPOSITORY_NUM_FILES", std::to_string(job.scanner.filesSeen()));
    }
    // The lock goes while each cluster file is written, so tags are stored meanwhile.
    if (job.mark) job.mark->clearOnceStored(letGoOf(job.lock));
}

}  // namespace

void runScanJob(const ScanJob& job, std::string_view singlePath) {
    const bool fullScan = singlePath.empty();
    for (const Str& root : chooseAndMarkRoots(job, singlePath)) job.scanner.scanRoot(root);
    if (!job.quitRequested) merge(job, fullScan);
    job.scanner.clear();
    // The scan tree was the job's biggest allocation; its pages go back to the system
    // instead of staying resident until something reuses them.
    returnFreeMemoryToSystem();
}
