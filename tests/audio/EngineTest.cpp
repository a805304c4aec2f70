#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <regex>

#include "RecordingRig.h"
#include "audio/Equaliser.h"
#include "audio/sound/SoundSystem.h"
#include "audio/sound/SoundResult.h"
#include "support/SongFiles.h"

namespace {

// The main loop's pumping: passes 10 ms apart until the player signals, at most `passes`.
PlaybackSignal pumpFor(AudioEngine& engine, const SongPlayer& player, int passes) {
    for (int i = 0; i < passes && player.playbackSignal() == PlaybackSignal::kNone; ++i) {
        engine.update();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return player.playbackSignal();
}

// An engine on SDL with the audio driver named, started; null when it did not start.
std::unique_ptr<AudioEngine> sdlEngine(StatusBoard& board, const char* driver) {
    unsetenv("VELMORANT_AUDIO");
    setenv("SDL_AUDIODRIVER", driver, 1);
    std::unique_ptr<AudioEngine> engine = createAudioEngine(board);
    const EngineResult started = engine->init();
    EXPECT_TRUE(started.ok) << started.message;
    return started.ok ? std::move(engine) : nullptr;
}

}  // namespace

TEST(AudioEngine, ListsOutputsAndDescribesWhatPlays) {
    RecordingRig rig;
    ASSERT_TRUE(rig.started.ok);
    AudioEngine& engine = *rig.engine;
    const int outputs = engine.outputCount();
    ASSERT_GE(outputs, 3);
    EXPECT_EQ(engine.outputName(outputs - 1), "WAV file");
    EXPECT_EQ(engine.outputName(outputs), "invalid index");
    engine.setOutput(-1);
    EXPECT_EQ(engine.output(), 0);
    EXPECT_EQ(engine.driverName(0), rig.output());

    const std::string info = engine.infoText().str();
    EXPECT_TRUE(std::regex_match(info, std::regex("Audio engine: FFmpeg [0-9]+\\.[0-9]+, WAV file<br>"
                                                   "CPU usage: [0-9]+\\.[0-9]{6}%<br>")))
        << info;
}

TEST(AudioEngine, InitFailsWithAClearTextWhenNoOutputCanBeMade) {
    StatusBoard board;
    setenv("VELMORANT_AUDIO", "speakers", 1);
    const std::unique_ptr<AudioEngine> engine = createAudioEngine(board);
    const EngineResult result = engine->init();
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, soundResultText(kSoundErrOutputUnknown));
    // Should a caller go on regardless, songs fail to open instead of crashing.
    const std::unique_ptr<SongPlayer> player = engine->createSongPlayer();
    EXPECT_FALSE(player->open("/tmp/any.mp3", true));
    EXPECT_EQ(player->playbackSignal(), PlaybackSignal::kOpenFailed);

    setenv("VELMORANT_AUDIO", "wav:/nonexistent-folder/out.wav", 1);
    const std::unique_ptr<AudioEngine> unwritable = createAudioEngine(board);
    EXPECT_EQ(unwritable->init().message, soundResultText(kSoundErrFileWrite));
}

// A device missing at start (SDL's driver fails) leaves songs waiting silent; playing a song
// tries it again, and once it opens the waiting song plays to its end.
TEST(AudioEngine, WaitsForASoundDeviceThatComesLater) {
    StatusBoard board;
    const std::unique_ptr<AudioEngine> engine = sdlEngine(board, "velmorant-no-such-driver");
    ASSERT_TRUE(engine);
    const std::string missing(soundResultText(kSoundErrOutputInit));
    ASSERT_TRUE(board.error());
    EXPECT_EQ(board.error()->text, missing + "\n");
    EXPECT_NE(engine->infoText().view().find("waiting for a sound device: " + missing), std::string_view::npos);

    TempFolder folder;
    writeTone(folder / "short.wav", 440.0, 0.3);
    std::unique_ptr<SongPlayer> player = engine->createSongPlayer();
    board.expire(std::numeric_limits<int64_t>::max());
    ASSERT_TRUE(player->open(folder / "short.wav", true));
    engine->update();
    ASSERT_TRUE(board.error());
    EXPECT_EQ(pumpFor(*engine, *player, 50), PlaybackSignal::kNone);
    EXPECT_EQ(player->positionMs(), 0u);

    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(player->open(folder / "short.wav", true));
    engine->update();
    ASSERT_TRUE(board.info());
    EXPECT_TRUE(board.info()->text.starts_with("Sound device opened: FFmpeg ")) << board.info()->text;
    EXPECT_NE(engine->infoText().view().find(", SDL 2."), std::string_view::npos);
    EXPECT_EQ(pumpFor(*engine, *player, 300), PlaybackSignal::kEnded);
    player.reset();
    engine->close();
    unsetenv("SDL_AUDIODRIVER");
}

TEST(Equaliser, BandsRunOnlyWhileSwitchedOnWithAGainOtherThanOne) {
    setenv("VELMORANT_AUDIO", "null", 1);
    SoundSystem system;
    ASSERT_EQ(system.init(1), kSoundOk);
    Equaliser equaliser(system);
    auto bypassed = [&] {
        return std::vector<bool>{equaliser.bypassed(0), equaliser.bypassed(1), equaliser.bypassed(2)};
    };
    auto setActive = [&](double value) {
        for (unsigned band = 0; band < 3; ++band) equaliser.setParameter(band, 0, value);
    };
    EXPECT_EQ(bypassed(), std::vector<bool>({true, true, true}));
    setActive(1.0);
    EXPECT_EQ(bypassed(), std::vector<bool>({true, true, true}));
    equaliser.setParameter(1, 3, 2.0);
    EXPECT_EQ(bypassed(), std::vector<bool>({true, false, true}));
    equaliser.setParameter(1, 1, 500.0);  // centre and width leave the bypass alone
    equaliser.setParameter(1, 2, 3.0);
    EXPECT_EQ(bypassed(), std::vector<bool>({true, false, true}));
    setActive(2.0);
    EXPECT_EQ(bypassed(), std::vector<bool>({true, true, true}));
    setActive(0.0);
    setActive(1.0);
    EXPECT_EQ(bypassed(), std::vector<bool>({true, false, true}));
    equaliser.setParameter(3, 3, 0.5);
    equaliser.setParameter(0, 4, 0.5);
    EXPECT_EQ(bypassed(), std::vector<bool>({true, false, true}));
}
