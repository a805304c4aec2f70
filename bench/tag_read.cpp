// Where one song's tag reading spends its time, on one thread with the files in the cache:
// the whole reading a tag worker does, then its parts one by one (the file's type and
// length check, TagLib with FFmpeg where it is needed, the size and the digest kept for
// moves). The first 20,000 songs of the generated 100,000-song library, in path order.
#include <algorithm>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "GeneratedLibrary.h"
#include "audio/AudioEngine.h"
#include "audio/sound/TagFileReader.h"
#include "audio/sound/TagList.h"
#include "library/FileKinds.h"
#include "library/SongDigest.h"
#include "library/StatusBoard.h"
#include "platform/DiskFile.h"
#include "storage/Node.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kSongs = 20000;

std::vector<std::string> songsOf(const std::string& library) {
    std::vector<std::string> songs;
    for (const auto& file : fs::recursive_directory_iterator(library)) {
        if (file.is_regular_file() && isAudioFile(file.path().filename().string())) songs.push_back(file.path());
    }
    std::sort(songs.begin(), songs.end());
    songs.resize(std::min(songs.size(), kSongs));
    return songs;
}

double threadCpuUs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

// Microseconds of this thread's CPU a song: the machine is shared, and waiting for a core
// is no cost of reading.
double measure(const std::vector<std::string>& songs, const std::function<void(const std::string&)>& step) {
    const double started = threadCpuUs();
    for (const std::string& song : songs) step(song);
    return (threadCpuUs() - started) / static_cast<double>(songs.size());
}

}  // namespace

int main() {
    const std::string library = libraryFor(100000);
    if (library.empty()) return 1;
    const std::vector<std::string> songs = songsOf(library);
    StatusBoard board;
    const auto engine = createAudioEngine(board);
    const auto whole = [&](const std::string& path) {
        Node values;
        engine->readSongTags(values, board, path, path);
    };
    {
        const QuietLog quiet;
        for (const std::string& song : songs) whole(song);  // the cache, and the libraries' first use
    }
    const std::vector<std::pair<const char*, std::function<void(const std::string&)>>> steps = {
        {"whole reading (readSongTags)", whole},
        {"type check (stat)", [](const std::string& path) { statDiskFile(path); }},
        {"TagLib, FFmpeg where needed", [](const std::string& path) {
             TagList tags;
             TagFileFacts facts;
             readTagFile(path, false, tags, facts);
         }},
        {"size and digest kept for moves", [](const std::string& path) {
             if (const auto status = statDiskFile(path)) songDigest(path, status->size);
         }},
    };
    std::printf("%zu songs, one thread, microseconds of CPU a song in two rounds:\n", songs.size());
    for (const auto& [what, step] : steps) {
        double rounds[2];
        {
            const QuietLog quiet;
            for (double& round : rounds) round = measure(songs, step);
        }
        std::printf("  %-32s %7.1f %7.1f\n", what, rounds[0], rounds[1]);
    }
    return 0;
}
