// Audio figures: tags read per second through AudioEngine::readTags over a generated
// library of 10,000 MP3 files (cache warm), the time from SongPlayer::open to the first
// audio frame handed to the output, the CPU used while an MP3 plays with the equaliser on,
// as the sound layer reports it and as the process measures it, and that CPU on the pipe
// output (48 kHz 16-bit, a thread of this process draining the pipe as Snapcast would)
// against the null output in the same run.
//
// The library is generated once with make-library into /tmp/velmorant-bench-tags and
// reused; the test song is made with the ffmpeg tool. Playback uses the null output,
// which takes audio at real-time pace as a sound card would.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "audio/AudioEngine.h"
#include "audio/SongPlayer.h"
#include "library/StatusBoard.h"
#include "storage/Node.h"
#include "support/MakeLibrary.h"
#include "text/TextSearch.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kLibraryFiles = 10000;
constexpr const char* kLibrary = "/tmp/velmorant-bench-tags";
constexpr const char* kSong = "/tmp/velmorant-bench-song.mp3";
constexpr auto kPlaySeconds = std::chrono::seconds(5);

std::vector<std::string> libraryFiles() {
    if (!fs::exists(std::string(kLibrary) + "/.complete")) {
        if (!makeLibrary("--clean --out " + std::string(kLibrary) + " --files " + std::to_string(kLibraryFiles))) return {};
        std::ofstream(std::string(kLibrary) + "/.complete");
    }
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(kLibrary)) {
        const std::string path = entry.path().string();
        if (entry.is_regular_file() && findNoCase(path, ".mp3") == path.size() - 4) files.push_back(path);
    }
    return files;
}

bool makeSong() {
    return fs::exists(kSong) ||
           std::system(("ffmpeg -nostdin -v error -y -f lavfi -i \"aevalsrc=0.4*sin(440*2*PI*t)+0.2*sin(1234*2*PI*t)|"
                        "0.4*sin(660*2*PI*t)+0.1*sin(3210*2*PI*t):s=44100:d=30\" -b:a 192k " +
                        std::string(kSong))
                           .c_str()) == 0;
}

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The times a thread of the process went to sleep of its own accord: its wake-ups.
long processSleeps() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_nvcsw;
}

// An engine on the null output, as the program runs it without a sound card, or on another.
struct Playback {
    explicit Playback(const std::string& output = "null") {
        setenv("VELMORANT_AUDIO", output.c_str(), 1);
        ok = engine->init().ok;
        if (ok) player = engine->createSongPlayer();
    }
    ~Playback() {
        player.reset();
        engine->close();
    }
    StatusBoard board;
    std::unique_ptr<AudioEngine> engine = createAudioEngine(board);
    bool ok = false;
    std::unique_ptr<SongPlayer> player;
};

void tagsPerSecond(benchmark::State& state) {
    const std::vector<std::string> files = libraryFiles();
    if (files.empty()) {
        state.SkipWithError("make-library failed");
        return;
    }
    StatusBoard board;
    const std::unique_ptr<AudioEngine> engine = createAudioEngine(board);
    auto readAll = [&] {
        int tagged = 0;
        for (const std::string& path : files) {
            Node entry;
            entry.setText("AUDIO", fileNameOf(path));
            tagged += engine->readTags(entry, path, fileNameOf(path)) && entry.findChild("TITLE") ? 1 : 0;
        }
        return tagged;
    };
    readAll();  // warms the cache
    int tagged = 0;
    for (auto _ : state) tagged = readAll();
    state.counters["files"] = static_cast<double>(files.size());
    state.counters["with_title"] = tagged;
    state.counters["files_per_second"] =
        benchmark::Counter(static_cast<double>(files.size()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(tagsPerSecond)->Unit(benchmark::kMillisecond)->Iterations(3);

void openToFirstAudio(benchmark::State& state) {
    Playback playback;
    if (!playback.ok || !makeSong()) {
        state.SkipWithError("no null output or no song");
        return;
    }
    for (auto _ : state) {
        const auto start = Clock::now();
        if (!playback.player->open(kSong, true)) {
            state.SkipWithError("the song does not open");
            return;
        }
        while (playback.player->positionMs() == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        playback.player->stop();
    }
}
BENCHMARK(openToFirstAudio)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);

// The layer's figure is read from the info page's second line.
double reportedUsage(AudioEngine& engine) {
    const std::string text = engine.infoText().str();
    const size_t at = text.find("CPU usage: ");
    return at == std::string::npos ? -1.0 : std::atof(text.c_str() + at + 11);
}

// What a while of playing cost: the process's CPU in percent of one core, the layer's own
// figure, and the process's wake-ups per second (the bench's own pumping among them).
struct PlayingCost {
    double processPercent = 0.0;
    double layerPercent = 0.0;
    double wakeupsPerSecond = 0.0;
};

// Plays the song for a while with the equaliser on.
PlayingCost costWhilePlaying(Playback& playback) {
    for (unsigned band = 0; band < 3; ++band) {
        playback.engine->setEqParameter(band, 0, 1.0);
        playback.engine->setEqParameter(band, 3, 1.5);
    }
    playback.player->open(kSong, true);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // past the start-up burst
    reportedUsage(*playback.engine);
    const double cpuBefore = processCpuSeconds();
    const long sleepsBefore = processSleeps();
    const auto start = Clock::now();
    // The main loop's rhythm: a pass every 10 ms.
    while (Clock::now() - start < kPlaySeconds) {
        playback.engine->update();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    PlayingCost cost;
    cost.layerPercent = reportedUsage(*playback.engine);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    cost.processPercent = 100.0 * (processCpuSeconds() - cpuBefore) / seconds;
    cost.wakeupsPerSecond = static_cast<double>(processSleeps() - sleepsBefore) / seconds;
    playback.player->stop();
    return cost;
}

void cpuWhilePlaying(benchmark::State& state) {
    Playback playback;
    if (!playback.ok || !makeSong()) {
        state.SkipWithError("no null output or no song");
        return;
    }
    PlayingCost cost;
    for (auto _ : state) cost = costWhilePlaying(playback);
    state.counters["layer_percent"] = cost.layerPercent;
    state.counters["process_percent"] = cost.processPercent;
    state.counters["wakeups_per_second"] = cost.wakeupsPerSecond;
}
BENCHMARK(cpuWhilePlaying)->Unit(benchmark::kSecond)->Iterations(1);

void cpuPipeAgainstNull(benchmark::State& state) {
    if (!makeSong()) {
        state.SkipWithError("no song");
        return;
    }
    const std::string pipe = "/tmp/velmorant-bench-" + std::to_string(getpid()) + ".pcm";
    double onNull = 0.0, onPipe = 0.0;
    for (auto _ : state) {
        {
            Playback null;
            onNull = null.ok ? costWhilePlaying(null).processPercent : -1.0;
        }
        Playback piped("pipe:" + pipe);
        if (!piped.ok) {
            state.SkipWithError("the pipe output does not open");
            return;
        }
        std::atomic<bool> draining{true};
        std::thread reader([&] {
            const int fd = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            std::vector<char> buffer(65536);
            while (draining) {
                while (fd >= 0 && ::read(fd, buffer.data(), buffer.size()) > 0) {
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            if (fd >= 0) ::close(fd);
        });
        onPipe = costWhilePlaying(piped).processPercent;
        draining = false;
        reader.join();
    }
    fs::remove(pipe);
    state.counters["null_percent"] = onNull;
    state.counters["pipe_percent"] = onPipe;
    state.counters["pipe_over_null"] = onNull > 0 ? onPipe / onNull : 0.0;
}
BENCHMARK(cpuPipeAgainstNull)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
