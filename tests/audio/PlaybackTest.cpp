#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <thread>

#include "RecordingRig.h"
#include "support/SongFiles.h"
#include "support/WakeUps.h"
#include "text/Str.h"

using namespace std::chrono_literals;

namespace {

constexpr double kSpeedFactor = 1.2000000476837158;

// How often the sound layer's own threads (the output's and the decoders') have slept and
// been woken so far.
long layerWakeUps() { return contextSwitches(0, "vm-output") + contextSwitches(0, "vm-decoder"); }

}  // namespace

TEST(Playback, ToneComesOutAtItsPitchAndOneSpeedUpRaisesItByAFifth) {
    RecordingRig rig;
    ASSERT_TRUE(rig.started.ok) << rig.started.message;
    writeTone(rig.file("tone.wav"), 440.0, 3.0);
    ASSERT_TRUE(rig.player->open(rig.file("tone.wav"), true));
    EXPECT_EQ(rig.player->lengthMs(), 3000u);
    EXPECT_FLOAT_EQ(rig.player->frequency(), 44100.0f);
    rig.player->setFrequency(static_cast<float>(rig.player->frequency() * kSpeedFactor));
    EXPECT_FLOAT_EQ(rig.player->frequency(), 52920.00390625f);
    EXPECT_EQ(rig.waitForSignal(), PlaybackSignal::kEnded);
    const Recording played = rig.recording();
    // The recording output runs ahead of real time, so how much plays at the old speed
    // depends on how soon this thread runs again: 2.5 s on a quiet machine, more of the old
    // tone first on a loaded one (3 s if the speed-up never took). The end is the higher tone.
    EXPECT_GE(played.seconds(), 2.49);
    EXPECT_LT(played.seconds(), 2.9);
    EXPECT_NEAR(frequencyOf(played, played.seconds() - 0.9, played.seconds() - 0.1), 528.0, 2.0);

    RecordingRig plain;
    writeTone(plain.file("tone.wav"), 440.0, 1.0);
    ASSERT_TRUE(plain.player->open(plain.file("tone.wav"), true));
    EXPECT_EQ(plain.waitForSignal(), PlaybackSignal::kEnded);
    const Recording unchanged = plain.recording();
    EXPECT_NEAR(frequencyOf(unchanged, 0.1, 0.9), 440.0, 0.5);
    EXPECT_NEAR(levelOf(unchanged, 0.1, 0.9), 0.5 / std::sqrt(2.0), 0.01);
}

TEST(Playback, VolumeScalesTheAmplitude) {
    RecordingRig rig;
    writeTone(rig.file("tone.wav"), 440.0, 1.0);
    rig.player->setVolume(0.5f);
    ASSERT_TRUE(rig.player->open(rig.file("tone.wav"), true));
    EXPECT_FLOAT_EQ(rig.player->volume(), 0.5f);
    EXPECT_EQ(rig.waitForSignal(), PlaybackSignal::kEnded);
    EXPECT_NEAR(levelOf(rig.recording(), 0.0, 0.95), 0.25 / std::sqrt(2.0), 0.005);
}

TEST(Playback, EqualiserBandDoublesItsCentreLeavesOtherTonesAndBypassRestores) {
    auto levelWith = [](double tone, bool on) {
        RecordingRig rig;
        rig.engine->setEqParameter(1, 0, on ? 1.0 : 0.0);
        rig.engine->setEqParameter(1, 1, 1000.0);
        rig.engine->setEqParameter(1, 2, 1.0);
        rig.engine->setEqParameter(1, 3, 2.0);
        writeTone(rig.file("tone.wav"), tone, 1.0, 0.25f);
        rig.player->open(rig.file("tone.wav"), true);
        rig.waitForSignal();
        return levelOf(rig.recording(), 0.2, 0.9);
    };
    const double plain = 0.25 / std::sqrt(2.0);
    EXPECT_NEAR(levelWith(1000.0, true), 2.0 * plain, 0.02 * plain);
    EXPECT_NEAR(levelWith(100.0, true), plain, 0.1 * plain);
    EXPECT_NEAR(levelWith(1000.0, false), plain, 0.01 * plain);
}

TEST(Playback, SeekingToHalfContinuesFromTheMiddle) {
    RecordingRig rig;
    // A ramp whose value tells the time: 0 at the start, 1 at 4 s.
    writeWav(rig.file("ramp.wav"), 44100, 4.0, [](double t) { return static_cast<float>(t / 4.0); });
    ASSERT_TRUE(rig.player->open(rig.file("ramp.wav"), true));
    rig.player->setPositionPermille(500);
    EXPECT_EQ(rig.player->positionMs(), 2000u);
    EXPECT_EQ(rig.waitForSignal(), PlaybackSignal::kEnded);
    const Recording played = rig.recording();
    ASSERT_FALSE(played.samples.empty());
    // Whatever played before the seek, the recording jumps to 0.5 and runs on to the end.
    size_t jump = 0;
    for (size_t i = 1; i < played.samples.size(); ++i) {
        if (played.samples[i] - played.samples[i - 1] > 0.1f) jump = i;
    }
    EXPECT_NEAR(played.samples[jump], 0.5, 0.0125);  // 50 ms of the ramp
    EXPECT_NEAR(static_cast<double>(played.samples.size() - jump) / played.rate, 2.0, 0.05);
}

TEST(Playback, PauseHoldsPositionAndOutputAndLetsTheLayerSleep) {
    RecordingRig rig;
    writeTone(rig.file("tone.wav"), 440.0, 5.0);
    ASSERT_TRUE(rig.player->open(rig.file("tone.wav"), true));
    rig.player->setPaused(true);
    EXPECT_TRUE(rig.player->isPaused());
    std::this_thread::sleep_for(50ms);
    const unsigned position = rig.player->positionMs();
    const auto size = std::filesystem::file_size(rig.output());
    // Paused, the output and the decoder (its fifo full) sleep until the song resumes.
    const long wakeUps = layerWakeUps();
    rig.waitForSignal(300ms);
    EXPECT_LT(layerWakeUps() - wakeUps, 5);
    EXPECT_EQ(rig.player->positionMs(), position);
    EXPECT_EQ(std::filesystem::file_size(rig.output()), size);
    EXPECT_LT(position, 5000u);
    EXPECT_EQ(rig.player->playbackSignal(), PlaybackSignal::kNone);

    rig.player->setPaused(false);
    EXPECT_EQ(rig.waitForSignal(), PlaybackSignal::kEnded);
    EXPECT_NEAR(rig.recording().seconds(), 5.0, 0.05);
}

TEST(Playback, EndedSongKeepsItsChannelUntilStopped) {
    RecordingRig rig;
    writeTone(rig.file("tone.wav"), 440.0, 0.5);
    ASSERT_TRUE(rig.player->open(rig.file("tone.wav"), true));
    EXPECT_TRUE(rig.player->isPlaying());
    EXPECT_EQ(rig.waitForSignal(), PlaybackSignal::kEnded);
    EXPECT_TRUE(rig.player->isPlaying());
    EXPECT_EQ(rig.player->positionMs(), 0u);
    EXPECT_FALSE(rig.player->isPaused());

    rig.player->stop();
    EXPECT_FALSE(rig.player->isPlaying());
    EXPECT_EQ(rig.player->playbackSignal(), PlaybackSignal::kNone);
    rig.player->play();  // a loaded song plays again from its start
    EXPECT_EQ(rig.waitForSignal(), PlaybackSignal::kEnded);
    EXPECT_NEAR(rig.recording().seconds(), 1.0, 0.06);
}

TEST(Playback, CompressedFormatsPlayAtTheirPitchAndLength) {
    RecordingRig rig;
    const std::vector<std::pair<std::string, std::string>> formats = {
        {"mp3", ""},  {"ogg", ""},  {"flac", ""}, {"m4a", ""},   {"m4b", "-c:a alac -f ipod"},
        {"alac", "-c:a alac -f ipod"}, {"opus", "-ar 48000"}, {"oga", "-c:a libvorbis -f oga"}, {"aif", ""},
        {"wv", "-f wv"}, {"mka", ""}, {"webm", "-ar 48000"}};
    for (const auto& [format, options] : formats) {
        const std::string path = rig.file("tone." + format);
        ASSERT_TRUE(encodeTone(path, 2, "-ac 2 " + options)) << format;
        ASSERT_TRUE(rig.player->open(path, true)) << format;
        EXPECT_NEAR(rig.player->lengthMs(), 2000.0, 60.0) << format;
        EXPECT_EQ(rig.waitForSignal(), PlaybackSignal::kEnded) << format;
    }
    const Recording played = rig.recording();
    EXPECT_NEAR(played.seconds(), 2.0 * static_cast<double>(formats.size()), 0.1 * static_cast<double>(formats.size()));
    for (size_t n = 0; n < formats.size(); ++n) {
        const double start = 0.5 + 2.0 * static_cast<double>(n);
        EXPECT_NEAR(frequencyOf(played, start, start + 1.0), 440.0, 1.0) << formats[n].first;
    }
}

TEST(Playback, BrokenFilesEndOrFailWithoutHanging) {
    RecordingRig rig;
    // Half a song: the frames stop mid-way.
    ASSERT_TRUE(encodeTone(rig.file("whole.mp3"), 4));
    const std::string whole = TempFolder::read(rig.file("whole.mp3"));
    TempFolder::write(rig.file("half.mp3"), whole.substr(0, whole.size() / 2));
    ASSERT_TRUE(rig.player->open(rig.file("half.mp3"), true));
    EXPECT_EQ(rig.waitForSignal(), PlaybackSignal::kEnded);

    // Garbage in the middle of the frames.
    std::string damaged = whole;
    for (size_t i = damaged.size() / 3; i < damaged.size() / 2; i += 7) damaged[i] = static_cast<char>(i * 31);
    TempFolder::write(rig.file("damaged.mp3"), damaged);
    ASSERT_TRUE(rig.player->open(rig.file("damaged.mp3"), true));
    EXPECT_EQ(rig.waitForSignal(), PlaybackSignal::kEnded);

    for (const std::string name : {"missing.mp3", "text.mp3"}) {
        if (name == "text.mp3") TempFolder::write(rig.file(name), "this is not audio at all\n");
        EXPECT_FALSE(rig.player->open(rig.file(name), true)) << name;
        EXPECT_EQ(rig.player->playbackSignal(), PlaybackSignal::kOpenFailed) << name;
        ASSERT_TRUE(rig.board.error().has_value());
    }
    EXPECT_EQ(rig.board.error()->text, "Unsupported or corrupt audio file.\n");
}
