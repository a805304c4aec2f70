// Plays an audio file or stream through the audio layer into a WAV file (stereo 32-bit
// float, 44.1 kHz) exactly as the player would play it, then says how it ended.
//   play-to-wav <input> <output.wav> [--volume V] [--speedup N] [--seek PERMILLE]
//               [--eq CENTER:GAIN] [--seconds S]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "audio/AudioEngine.h"
#include "audio/SongPlayer.h"
#include "library/StatusBoard.h"

namespace {

struct Options {
    float volume = 1.0f;
    int speedups = 0;
    int seekPermille = -1;
    double eqCenter = 0.0;
    double eqGain = 1.0;
    double seconds = 0.0;  // 0: until the song ends
};

bool parseOption(const std::string& name, const char* value, Options& options) {
    if (name == "--volume") {
        options.volume = std::strtof(value, nullptr);
    } else if (name == "--speedup") {
        options.speedups = std::atoi(value);
    } else if (name == "--seek") {
        options.seekPermille = std::atoi(value);
    } else if (name == "--eq") {
        return std::sscanf(value, "%lf:%lf", &options.eqCenter, &options.eqGain) == 2;
    } else if (name == "--seconds") {
        options.seconds = std::strtod(value, nullptr);
    } else {
        return false;
    }
    return true;
}

bool parseOptions(int argc, char** argv, Options& options) {
    if (argc < 3 || argc % 2 == 0) return false;
    for (int i = 3; i + 1 < argc; i += 2) {
        if (!parseOption(argv[i], argv[i + 1], options)) return false;
    }
    return true;
}

// Set before the song opens, so the whole song has them and two runs write the same bytes.
void applyBeforeOpening(AudioEngine& engine, SongPlayer& player, const Options& options) {
    if (options.eqCenter > 0.0) {
        engine.setEqParameter(0, 0, 1.0);
        engine.setEqParameter(0, 1, options.eqCenter);
        engine.setEqParameter(0, 3, options.eqGain);
    }
    player.setVolume(options.volume);
}

// These need the playing channel: the first blocks may have played without them.
void applyWhilePlaying(SongPlayer& player, const Options& options) {
    for (int i = 0; i < options.speedups; ++i) {
        player.setFrequency(static_cast<float>(player.frequency() * 1.2000000476837158));
    }
    if (options.seekPermille >= 0) player.setPositionPermille(static_cast<unsigned>(options.seekPermille));
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: play-to-wav <input> <output.wav> [--volume V] [--speedup N] "
                             "[--seek PERMILLE] [--eq CENTER:GAIN] [--seconds S]\n");
        return 2;
    }
    setenv("VELMORANT_AUDIO", (std::string("wav:") + argv[2]).c_str(), 1);
    StatusBoard board;
    std::unique_ptr<AudioEngine> engine = createAudioEngine(board);
    const EngineResult started = engine->init();
    if (!started.ok) {
        std::fprintf(stderr, "%s\n", started.message.c_str());
        return 1;
    }
    std::unique_ptr<SongPlayer> player = engine->createSongPlayer();
    applyBeforeOpening(*engine, *player, options);
    player->open(argv[1], true);
    applyWhilePlaying(*player, options);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(options.seconds);
    while (player->playbackSignal() == PlaybackSignal::kNone &&
           (options.seconds <= 0.0 || std::chrono::steady_clock::now() < deadline)) {
        engine->update();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const PlaybackSignal signal = player->playbackSignal();
    std::printf("%s after %u of %u ms\n",
                signal == PlaybackSignal::kEnded        ? "ended"
                : signal == PlaybackSignal::kOpenFailed ? "failed"
                                                        : "stopped",
                player->positionMs(), player->lengthMs());
    player.reset();
    engine->close();
    return signal == PlaybackSignal::kOpenFailed ? 1 : 0;
}
