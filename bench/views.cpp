// Library view figures for a generated library of 100,000 tagged songs (1,000 artists of
// 10 albums of 10 songs): the view rebuild without a filter, with the filters "Genre
// *rock*" and "Rate 4-5" and with a two-word search; nextSong at its worst (every song
// rated 1, repeat on, so the walk goes round the whole view); and the resident memory per
// song with every tag loaded, once the store's clusters have gone idle.
//
//   bench_views [songs]      (default: 100000, a multiple of 100)
//
// The folder trees are written to a store in /tmp by a child process, so the measuring
// process's heap holds only the opened library.

#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "library/LibraryItem.h"
#include "library/Repository.h"
#include "library/StatusBoard.h"
#include "platform/Memory.h"
#include "storage/FileStore.h"
#include "storage/Node.h"
#include "storage/NodeFile.h"
#include "views/FilterSet.h"
#include "views/LibraryView.h"
#include "views/PlayPosition.h"
#include "views/PlayQueue.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kAlbumsPerArtist = 10;
constexpr int kSongsPerAlbum = 10;
constexpr int kRebuilds = 5;
constexpr int kNextSongCalls = 20;
constexpr std::string_view kMusic = "/bench/music";
constexpr std::array<std::string_view, 16> kWords{"Love",   "Night", "Blue",  "Fire",  "Dream",  "Rain",
                                                  "Heart",  "Road",  "Summer", "Light", "Shadow", "River",
                                                  "Moon",   "Dance", "Stone", "Gold"};
constexpr std::array<std::string_view, 10> kGenres{"Rock",  "Hard Rock", "Pop",   "Jazz",       "Heavy Metal",
                                                   "Blues", "Classical", "Funk",  "Rock & Roll", "Electronic"};

std::string twoDigits(int number) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", number);
    return text;
}

std::string artistName(int artist) { return "Artist " + std::to_string(artist); }
std::string artistPath(int artist) { return std::string(kMusic) + "/" + artistName(artist); }

// One album's songs with every key the tag reader stores, and a rating and play count on
// some of them.
void fillAlbum(Node& content, int artist, int album, uint32_t& seed) {
    const auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7fff; };
    for (int track = 1; track <= kSongsPerAlbum; ++track) {
        const std::string title = std::string(kWords[next() % kWords.size()]) + " " +
                                  std::string(kWords[next() % kWords.size()]);
        Node* song = content.appendChild("AUDIO", twoDigits(track) + " " + title + ".mp3");
        song->appendChild("ADDED", std::to_string(1600000000 + next() * 1000));
        song->appendChild("TITLE", title);
        song->appendChild("ARTIST", artistName(artist));
        song->appendChild("ALBUM", "Album " + std::to_string(album));
        song->appendChild("GENRE", kGenres[static_cast<size_t>(artist) % kGenres.size()]);
        song->appendChild("YEAR", std::to_string(1960 + next() % 64));
        song->appendChild("TRACK", std::to_string(track));
        song->appendChild("TIME", twoDigits(2 + next() % 6) + ":" + twoDigits(next() % 60));
        if (next() % 2) song->appendChild("RATE", std::to_string(next() % 6));
        if (next() % 4 == 0) song->appendChild("PLAYCOUNT", std::to_string(next() % 30));
    }
}

void writeLibrary(const std::string& work, int artists) {
    fs::create_directories(work + "/database");
    FileStore store;
    store.storeOpen(work + "/database");
    theFileStore = &store;
    uint32_t seed = 1;
    Node root;
    for (int artist = 0; artist < artists; ++artist) {
        root.appendChild("LIST", artistName(artist));
        Node albums;
        for (int album = 0; album < kAlbumsPerArtist; ++album) {
            albums.appendChild("LIST", "Album " + std::to_string(album));
            Node songs;
            fillAlbum(songs, artist, album, seed);
            saveNodeFile(songs, artistPath(artist) + "/Album " + std::to_string(album) + "/playlist.vmr", false);
        }
        saveNodeFile(albums, artistPath(artist) + "/playlist.vmr", false);
    }
    saveNodeFile(root, std::string(kMusic) + "/playlist.vmr", false);
    Node settings;
    settings.appendChild("USER", "username")->appendChild("REPOSITORY_PATHS", kMusic);
    saveNodeFile(settings, work + "/repository.vmr", true);
    store.storeClose();
    theFileStore = nullptr;
}

// The first run, which may fill caches, and the runs after it.
struct Timing {
    double firstMs;
    double typicalMs;
    double typicalCpuMs = 0;  // the processor time of this thread alone, less hurt by a busy machine
};

double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

class Bench {
public:
    explicit Bench(const std::string& work) {
        store_.storeOpen(work + "/database");
        theFileStore = &store_;
        filters_.load(work + "/filters.vmr");
        repository_.open(work + "/repository.vmr", work + "/radio2.vmr");
    }
    ~Bench() { theFileStore = nullptr; }

    Timing rebuild(int filter, std::string_view search, bool flat) {
        view_.setFlat(flat);
        filters_.selectFilter(filter, false);
        filters_.setSearch(search);
        std::vector<double> times;
        std::vector<double> cpuTimes;
        for (int run = 0; run < kRebuilds; ++run) {
            const double cpuStart = threadCpuMs();
            times.push_back(millisecondsOf([this] { view_.rebuildView(true); }));
            cpuTimes.push_back(threadCpuMs() - cpuStart);
        }
        const double first = times.front();
        std::sort(times.begin(), times.end());
        std::sort(cpuTimes.begin(), cpuTimes.end());
        return {first, times[times.size() / 2], cpuTimes[cpuTimes.size() / 2]};
    }
    int listed() { return view_.itemCount(); }

    // The store's clusters, idle in the running player, are gone from memory.
    void dropClusters() {
        store_.storeClose();
        returnFreeMemoryToSystem();
    }

    // Every song rated 1 and repeat on: each call walks the whole view and finds nothing.
    Timing worstNextSong() {
        for (LibraryItem* item : view_.items()) item->node()->setChild("RATE", "1");
        view_.rebuildView(true);
        repository_.setSetting("PLAYLIST_REPEAT", "1");
        position_.setPlayPosition(view_.items()[view_.items().size() / 2]->id);
        int32_t found = 0;
        const double first = millisecondsOf([&] { found |= position_.nextSong(true); });
        const double later = millisecondsOf([&] {
            for (int call = 0; call < kNextSongCalls; ++call) found |= position_.nextSong(true);
        });
        return found == 0 ? Timing{first, later / kNextSongCalls} : Timing{-1, -1};
    }

private:
    template <typename Work>
    static double millisecondsOf(Work work) {
        const auto start = Clock::now();
        work();
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }

    FileStore store_;
    Repository repository_;
    StatusBoard board_;
    FilterSet filters_{board_, [] { return int64_t{1700000000}; }};
    LibraryView view_{repository_, filters_};
    PlayQueue queue_{repository_};
    PlayPosition position_{repository_, view_, queue_};
};

// Prints the figures; the number of targets missed.
int measure(const std::string& work, int songs) {
    const long before = static_cast<long>(residentMemoryBytes());
    Bench bench(work);
    struct Case {
        const char* name;
        int filter;
        std::string_view search;
        bool flat = false;
    };
    const Case cases[] = {{"no filter", 0, ""},
                          {"filter \"Genre *rock*\"", 6, ""},
                          {"filter \"$rate >= 4 && $rate <= 5\"", 2, ""},
                          {"search \"night love\"", 0, "night love"},
                          {"no filter, flat view (sorted by name)", 0, "", true}};
    int missed = 0;
    std::vector<std::string> lines;
    for (const Case& one : cases) {
        const Timing timing = bench.rebuild(one.filter, one.search, one.flat);
        char line[200];
        std::snprintf(line, sizeof line,
                      "rebuild, %-38s %7d listed: first %6.1f ms, median of %d %6.1f ms (processor %5.1f ms)\n",
                      one.name, bench.listed(), timing.firstMs, kRebuilds, timing.typicalMs, timing.typicalCpuMs);
        lines.push_back(line);
        missed += timing.typicalMs > 60.0;
    }
    bench.rebuild(0, "", false);
    const double loadedBytes = static_cast<double>(static_cast<long>(residentMemoryBytes()) - before) / songs;
    bench.dropClusters();
    const double idleBytes = static_cast<double>(static_cast<long>(residentMemoryBytes()) - before) / songs;
    const Timing nextSong = bench.worstNextSong();
    std::fflush(stdout);
    std::printf("\n%d songs\n", songs);
    for (const std::string& line : lines) std::fputs(line.c_str(), stdout);
    std::printf("nextSong, all rated 1, repeat on: first %.2f ms, then %.3f ms per call\n", nextSong.firstMs,
                nextSong.typicalMs);
    std::printf("resident memory: %.0f bytes per song, %.0f with the store's clusters still loaded\n", idleBytes,
                loadedBytes);
    missed += (nextSong.typicalMs < 0 || nextSong.typicalMs > 5.0) + (idleBytes > 800.0);
    return missed;
}

int inChild(int (*work)(const std::string&, int), const std::string& work_folder, int songs) {
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        const int result = work(work_folder, songs);
        std::fflush(stdout);
        std::_Exit(result);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const int songs = argc > 1 ? std::max(std::atoi(argv[1]) / 100 * 100, 100) : 100000;
    const std::string work = "/tmp/velmorant-bench-views-" + std::to_string(getpid());
    const int written = inChild(
        [](const std::string& folder, int count) {
            writeLibrary(folder, count / (kAlbumsPerArtist * kSongsPerAlbum));
            return 0;
        },
        work, songs);
    const int missed = written == 0 ? inChild(measure, work, songs) : 1;
    fs::remove_all(work);
    if (missed) std::printf("%d target(s) missed\n", missed);
    return missed == 0 ? 0 : 1;
}
