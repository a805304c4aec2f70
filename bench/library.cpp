// Library scan figures for generated libraries of 10,000 and 100,000 files: the first full
// scan job (walk, merge, save, and the store writing its clusters to disk; no tags), a
// second one with nothing changed (and whether it wrote any file), and the resident memory
// the process holds afterwards per library entry, the store's clusters still loaded. Then
// the merge of a rescan in which a tenth of the songs were moved (whole artist folders
// renamed, their tags read before as the player would have) against the merge of the
// unchanged rescan; the moved songs' history follows them, which reads the tags (TagLib
// alone) of each new file of a moved song's size, and the first and last 64 KB of those of
// an untagged song's size. Each run works on a copy of hard links to the generated
// library, which it renames in.
//
//   bench_library [files ...]      (default: 10000 100000)
//
// Libraries are generated once with make-library into /tmp/velmorant-bench-lib-<files> and
// reused. Each size runs in a child process of its own, so one's heap leaves no trace in
// the other's memory figures.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
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
#include "audio/AudioEngine.h"
#include "audio/CandidateTags.h"
#include "library/EntryNames.h"
#include "library/Repository.h"
#include "library/ScanJob.h"
#include "library/Scanner.h"
#include "library/StatusBoard.h"
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
    double unchangedMergeSeconds;
    double movedMergeSeconds;
    size_t moved;
    int32_t followed;
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
        // The merge starts when the job asks for the view's folders and ends with the view
        // rebuild it asks for.
        const auto mergeStarts = [this] {
            mergeStart_ = Clock::now();
            return std::span<RepositoryFolder* const>();
        };
        const auto mergeEnds = [this](bool) { lastMergeSeconds = seconds(mergeStart_); };
        runScanJob(ScanJob{repository_, scanner_, lock_, quit_, mergeStarts, mergeEnds, nullptr, readCandidateTags},
                   "");
        const auto flushStart = Clock::now();
        store_.storeFlush();
        flushSeconds = std::chrono::duration<double>(Clock::now() - flushStart).count();
        return std::chrono::duration<double>(Clock::now() - start).count();
    }
    size_t entries() const { return countEntries(*repository_.folders().front()); }

    // Reads the tags of whole artist folders, first to last, until `songs` songs are read;
    // their paths.
    std::vector<std::string> readTagsOfArtists(size_t songs, size_t& read) {
        const QuietLog quiet;
        std::vector<std::string> artists;
        read = 0;
        for (const auto& artist : repository_.folders().front()->children()) {
            if (read >= songs) break;
            read += readTagsBelow(*artist);
            artists.emplace_back(artist->path());
        }
        return artists;
    }
    int32_t added() const { return repository_.scanTally.added; }

    double lastMergeSeconds = 0;

private:
    static double seconds(Clock::time_point since) {
        return std::chrono::duration<double>(Clock::now() - since).count();
    }
    size_t readTagsBelow(RepositoryFolder& folder) {
        size_t read = 0;
        for (Node& entry : folder.content().children()) {
            if (!entry.hasName(entry::kAudio)) continue;
            engine_->readTags(entry, std::string(folder.path()) + "/" + entry.value(), entry.value());
            ++read;
        }
        for (const auto& child : folder.children()) read += readTagsBelow(*child);
        return read;
    }

    StatusBoard board_;
    std::unique_ptr<AudioEngine> engine_ = createAudioEngine(board_);
    Clock::time_point mergeStart_;
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

    // The quickest of three of each, as the machine is shared; the folders move back and
    // forth, which is a move each time.
    const std::vector<std::string> artists = bench.readTagsOfArtists(figures.entries / 10, figures.moved);
    figures.unchangedMergeSeconds = figures.movedMergeSeconds = 1e9;
    for (int round = 0; round < 3; ++round) {
        bench.scanSeconds(rescanFlushSeconds);
        figures.unchangedMergeSeconds = std::min(figures.unchangedMergeSeconds, bench.lastMergeSeconds);
        for (const std::string& artist : artists) {
            const std::string moved = artist + " (moved)";
            fs::rename(round % 2 == 0 ? artist : moved, round % 2 == 0 ? moved : artist);
        }
        bench.scanSeconds(rescanFlushSeconds);
        figures.movedMergeSeconds = std::min(figures.movedMergeSeconds, bench.lastMergeSeconds);
        if (round == 0) figures.followed = static_cast<int32_t>(figures.moved) - bench.added();
    }
    return figures;
}

// Prints the figures; the number of targets missed.
int run(int files) {
    const std::string generated = libraryFor(files);
    if (generated.empty()) return 1;
    const std::string work = "/tmp/velmorant-bench-store-" + std::to_string(getpid());
    const std::string library = work + "-music";
    fs::copy(generated, library, fs::copy_options::recursive | fs::copy_options::create_hard_links);
    const Figures figures = measure(library, work);
    fs::remove_all(work);
    fs::remove_all(library);
    std::printf("%7d files (%zu entries): first scan %.2f s (%.2f s of it writing the store), "
                "unchanged rescan %.3f s (%s), %.0f bytes per entry\n",
                files, figures.entries, figures.firstSeconds, figures.firstFlushSeconds, figures.rescanSeconds,
                figures.rescanWroteNothing ? "wrote nothing" : "WROTE FILES", figures.bytesPerEntry);
    const double ratio = figures.movedMergeSeconds / figures.unchangedMergeSeconds;
    std::printf("%7d files: merge of an unchanged rescan %.3f s, of a rescan with %zu songs moved %.3f s "
                "(%.2f times; %d kept their history, the others have identical twins)\n",
                files, figures.unchangedMergeSeconds, figures.moved, figures.movedMergeSeconds, ratio,
                figures.followed);
    int missed = !figures.rescanWroteNothing;
    if (files >= 100000) {
        missed += (figures.firstSeconds > 5.0) + (figures.rescanSeconds > 1.0) + (figures.bytesPerEntry > 400.0) +
                  (ratio > 2.0);
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
