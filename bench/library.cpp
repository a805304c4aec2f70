// Library scan figures for generated libraries of 10,000 and 100,000 files: the first full
// scan job (walk, merge, save, and the store writing its clusters to disk; no tags), a
// second one with nothing changed (and whether it wrote any file), and the resident memory
// the process holds afterwards per library entry, the store's clusters still loaded.
//
//   bench_library [files ...]      (default: 10000 100000)
//
// Libraries are generated once with make-library into /tmp/velmorant-bench-lib-<files> and
// reused. Each size runs in a child process of its own, so one's heap leaves no trace in
// the other's memory figures.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "GeneratedLibrary.h"
#include "library/Repository.h"
#include "library/ScanJob.h"
#include "library/Scanner.h"
#include "platform/WakingMutex.h"
#include "storage/FileStore.h"
#include "storage/Node.h"
#include "storage/NodeFile.h"
#include "platform/Memory.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;


std::map<fs::path, fs::file_time_type> fileTimes(const std::string& folder) {
    std::map<fs::path, fs::file_time_type> times;
    for (const auto& file : fs::recursive_directory_iterator(folder)) times[file.path()] = file.last_write_time();
    return times;
}

size_t countEntries(const RepositoryFolder& folder) {
    size_t entries = 0;
    for (const Node& child : folder.content().children()) entries += !child.hasName("LIST");
    for (const auto& child : folder.children()) entries += countEntries(*child);
    return entries;
}

struct Figures {
    double firstSeconds;
    double firstFlushSeconds;
    double rescanSeconds;
    bool rescanWroteNothing;
    size_t entries;
    double bytesPerEntry;
};

class Bench {
public:
    Bench(const std::string& library, const std::string& work) {
        fs::create_directories(work + "/database");
        store_.storeOpen(work + "/database");
        theFileStore = &store_;
        Node settings;
        settings.appendChild("USER", "username")->appendChild("REPOSITORY_PATHS", library);
        saveNodeFile(settings, work + "/repository.vmr", true);
        const QuietLog quiet;
        repository_.open(work + "/repository.vmr", work + "/radio2.vmr");
    }
    ~Bench() { theFileStore = nullptr; }

    // The whole job and the store's flush; `flushSeconds` gets the flush alone.
    double scanSeconds(double& flushSeconds) {
        const QuietLog quiet;
        const auto start = Clock::now();
        runScanJob(ScanJob{repository_, scanner_, lock_, quit_, {}, {}}, "");
        const auto flushStart = Clock::now();
        store_.storeFlush();
        flushSeconds = std::chrono::duration<double>(Clock::now() - flushStart).count();
        return std::chrono::duration<double>(Clock::now() - start).count();
    }
    size_t entries() const { return countEntries(*repository_.folders().front()); }

private:
    FileStore store_;
    Repository repository_;
    Scanner scanner_;
    WakingMutex lock_;
    std::atomic<bool> quit_{false};
};

Figures measure(const std::string& library, const std::string& work) {
    const long before = static_cast<long>(residentMemoryBytes());
    Bench bench(library, work);
    Figures figures{};
    figures.firstSeconds = bench.scanSeconds(figures.firstFlushSeconds);
    const auto written = fileTimes(work);
    double rescanFlushSeconds = 0;
    figures.rescanSeconds = bench.scanSeconds(rescanFlushSeconds);
    figures.rescanWroteNothing = fileTimes(work) == written;
    figures.entries = bench.entries();
    const long after = static_cast<long>(residentMemoryBytes());
    figures.bytesPerEntry = static_cast<double>(after - before) / static_cast<double>(figures.entries);
    return figures;
}

// Prints the figures; the number of targets missed.
int run(int files) {
    const std::string library = libraryFor(files);
    if (library.empty()) return 1;
    const std::string work = "/tmp/velmorant-bench-store-" + std::to_string(getpid());
    const Figures figures = measure(library, work);
    fs::remove_all(work);
    std::printf("%7d files (%zu entries): first scan %.2f s (%.2f s of it writing the store), "
                "unchanged rescan %.3f s (%s), %.0f bytes per entry\n",
                files, figures.entries, figures.firstSeconds, figures.firstFlushSeconds, figures.rescanSeconds,
                figures.rescanWroteNothing ? "wrote nothing" : "WROTE FILES", figures.bytesPerEntry);
    int missed = !figures.rescanWroteNothing;
    if (files >= 100000) {
        missed += (figures.firstSeconds > 5.0) + (figures.rescanSeconds > 1.0) + (figures.bytesPerEntry > 400.0);
    }
    return missed;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {10000, 100000};
    int missed = 0;
    for (const int files : sizes) {
        std::fflush(stdout);
        const pid_t child = fork();
        if (child == 0) {
            const int childMissed = run(files);
            std::fflush(stdout);
            std::_Exit(childMissed);
        }
        int status = 0;
        waitpid(child, &status, 0);
        missed += WIFEXITED(status) ? WEXITSTATUS(status) : 1;
    }
    if (missed) std::printf("%d target(s) missed\n", missed);
    return missed == 0 ? 0 : 1;
}
