// From the start of a scan of a 10,000-file library to the moment every entry has its
// tags: the scan job with its view rebuild, then the main loop's tag slices at their real
// pace (a slice of at most 100 ms, at most one per 100 ms, 10 ms sleeps between passes).
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <thread>

#include "audio/AudioEngine.h"
#include "audio/PendingTags.h"
#include "library/Repository.h"
#include "library/ScanJob.h"
#include "library/Scanner.h"
#include "library/StatusBoard.h"
#include "platform/Clock.h"
#include "platform/WakingMutex.h"
#include "storage/FileStore.h"
#include "support/MakeLibrary.h"
#include "views/FilterSet.h"
#include "views/LibraryView.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const char* kLibrary = "/tmp/velmorant-bench-pipeline";
constexpr uint32_t kSliceMs = 100;

// Runs passes until the pending list is empty; returns the passes that read tags.
int readAllPendingTags(Repository& repository, AudioEngine& engine) {
    uint32_t lastSliceStart = 0;
    int slices = 0;
    while (!repository.pendingTags.empty()) {
        const uint32_t start = millisecondClock();
        if (start - lastSliceStart > kSliceMs) {
            lastSliceStart = start;
            ++slices;
            while (readNextPendingTags(repository, engine) > 0 && millisecondClock() - start < kSliceMs) {
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return slices;
}

}  // namespace

int main() {
    if (!fs::exists(std::string(kLibrary) + "/.complete")) {
        if (!makeLibrary("--clean --out " + std::string(kLibrary) + " --files 10000")) return 1;
        std::fclose(std::fopen((std::string(kLibrary) + "/.complete").c_str(), "w"));
    }
    const fs::path settings = fs::temp_directory_path() / "velmorant-bench-pipeline-settings";
    fs::remove_all(settings);
    fs::create_directories(settings / "database");
    FileStore store;
    store.storeOpen((settings / "database").string());
    theFileStore = &store;

    StatusBoard board;
    Repository repository;
    FilterSet filters(board, [] { return static_cast<int64_t>(std::time(nullptr)); });
    LibraryView view(repository, filters);
    repository.open((settings / "repository.vmr").string(), (settings / "radio2.vmr").string());
    repository.setSetting("REPOSITORY_PATHS", kLibrary);
    const auto engine = createAudioEngine(board);

    const std::atomic<bool> quit{false};
    QuitAwareScanner scanner(quit);
    WakingMutex lock;
    const ScanJob job{repository, scanner, lock, quit, [&view] { return view.folders(); },
                      [&view](bool resetPage) { view.rebuildView(resetPage); }};

    const auto started = Clock::now();
    runScanJob(job, "");
    const auto scanned = Clock::now();
    const size_t pending = repository.pendingTags.size();
    const int slices = readAllPendingTags(repository, *engine);
    const auto done = Clock::now();

    const auto ms = [](auto from, auto to) { return std::chrono::duration<double, std::milli>(to - from).count(); };
    std::printf("scan and merge: %.0f ms; tags of %zu entries in %d slices: %.0f ms; scan start to all tags: %.0f ms\n",
                ms(started, scanned), pending, slices, ms(scanned, done), ms(started, done));
    theFileStore = nullptr;
    store.storeClose();
    fs::remove_all(settings);
    return 0;
}
