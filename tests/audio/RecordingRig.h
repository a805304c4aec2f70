#pragma once
// An audio engine and its player writing to a WAV file of a temporary folder, as the
// program runs them: the test drives the player and pumps the engine like the main loop.

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "Recording.h"
#include "audio/AudioEngine.h"
#include "audio/SongPlayer.h"
#include "library/StatusBoard.h"
#include "support/TempFolder.h"

class RecordingRig {
public:
    RecordingRig() {
        setenv("VELMORANT_AUDIO", ("wav:" + output()).c_str(), 1);
        engine = createAudioEngine(board);
        started = engine->init();
        if (started.ok) player = engine->createSongPlayer();
    }
    ~RecordingRig() { stop(); }

    std::string file(const std::string& name) const { return folder / name; }
    std::string output() const { return folder / "played.wav"; }

    // Pumps the engine until the player signals something or the time runs out.
    PlaybackSignal waitForSignal(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (player->playbackSignal() == PlaybackSignal::kNone && std::chrono::steady_clock::now() < deadline) {
            engine->update();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return player->playbackSignal();
    }

    // Shuts down as the program does (player first) and reads what was played.
    Recording recording() {
        stop();
        return readWav(output());
    }

    TempFolder folder;
    StatusBoard board;
    std::unique_ptr<AudioEngine> engine;
    EngineResult started;
    std::unique_ptr<SongPlayer> player;

private:
    void stop() {
        player.reset();
        if (engine) engine->close();
    }
};
