// From the start of a scan of a 10,000-file library to the moment every entry has its
// tags: the scan job with its view rebuild, then the tag workers reading while the main
// loop's way of storing runs (batches of at most 2 ms under the lock, woken by the
// workers). A request thread meanwhile takes the lock every 5 ms and records its wait.
// Run with one worker first (the baseline), then with one per core.
#include <poll.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/AudioEngine.h"
#include "audio/PendingTags.h"
#include "library/Repository.h"
#include "library/ScanJob.h"
#include "library/Scanner.h"
#include "library/StatusBoard.h"
#include "platform/WakeSignal.h"
#include "platform/WakingMutex.h"
#include "storage/FileStore.h"
#include "support/MakeLibrary.h"
#include "views/FilterSet.h"
#include "views/LibraryView.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const char* kLibrary = "/tmp/velmorant-bench-pipeline";

double ms(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Takes the lock every 5 ms until told to stop; returns each wait in milliseconds.
std::vector<double> requestWaits(WakingMutex& lock, const std::atomic<bool>& stop) {
    std::vector<double> waits;
    while (!stop) {
        const auto asked = Clock::now();
        { const std::lock_guard guard(lock); }
        waits.push_back(ms(asked, Clock::now()));
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return waits;
}

void readAllPendingTags(Repository& repository, PendingTagReader& tags, WakingMutex& lock) {
    for (;;) {
        bool more = false;
        {
            const std::lock_guard guard(lock);
            if (tags.storeAndPost(repository, 2) == 0) return;
            more = tags.hasReadValues();
        }
        pollfd done{tags.done().handle(), POLLIN, 0};
        poll(&done, 1, more ? 1 : -1);
        tags.done().drain();
    }
}

void run(unsigned threads) {
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
    std::atomic<bool> stop{false};
    std::vector<double> waits;
    std::thread requests([&] { waits = requestWaits(lock, stop); });
    {
        PendingTagReader tags(*engine, board, threads);
        readAllPendingTags(repository, tags, lock);
    }
    const auto done = Clock::now();
    stop = true;
    requests.join();

    std::sort(waits.begin(), waits.end());
    const auto percentile = [&waits](double p) { return waits.empty() ? 0.0 : waits[static_cast<size_t>(p * (waits.size() - 1))]; };
    std::printf("%u worker(s): scan and merge %.0f ms; tags of %zu entries %.0f ms; scan start to all tags %.0f ms; "
                "lock wait of %zu requests p50 %.2f ms, p99 %.2f ms, max %.2f ms\n",
                threads, ms(started, scanned), pending, ms(scanned, done), ms(started, done), waits.size(),
                percentile(0.5), percentile(0.99), waits.empty() ? 0.0 : waits.back());
    theFileStore = nullptr;
    store.storeClose();
    fs::remove_all(settings);
}

}  // namespace

int main() {
    if (!fs::exists(std::string(kLibrary) + "/.complete")) {
        if (!makeLibrary("--clean --out " + std::string(kLibrary) + " --files 10000")) return 1;
        std::fclose(std::fopen((std::string(kLibrary) + "/.complete").c_str(), "w"));
    }
    run(1);
    run(std::max(1u, std::thread::hardware_concurrency()));
    return 0;
}
