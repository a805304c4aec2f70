#include <gtest/gtest.h>

#include "support/PlayerInstance.h"
#include "support/SongFiles.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

class PlaybackTiming : public testing::Test {
protected:
    // Songs of silence, each `seconds` long, scanned and listed in name order; false when they did not all come.
    bool startWithSongs(const std::vector<std::string>& names, int seconds) {
        const std::string music = player_.root() + "music";
        for (const std::string& name : names) TempFolder::write(music + "/" + name, silentWav(seconds * 1000, 8000, 1));
        running_ = player_.startRunning();
        if (running_) songs_ = player_.scanSongs(music, names.size());
        return songs_.size() == names.size();
    }
    void TearDown() override {
        if (running_) {
            EXPECT_EQ(PlayerInstance::stop(*running_), 0);
        }
    }
    std::string value(const std::string& key) const {
        return PlayerInstance::feedValue(player_.body("/fetch"), key).value_or("none");
    }

    PlayerInstance player_;
    std::unique_ptr<ChildProcess> running_;
    std::vector<std::string> songs_;
};

}  // namespace

TEST_F(PlaybackTiming, PrevRestartsASongPlayedForMoreThanThreeSeconds) {
    ASSERT_TRUE(startWithSongs({"a.wav", "b.wav"}, 10));
    player_.body("/set&" + songs_[1]);
    player_.body("/play");  // paused, so the song stays where it is put

    player_.body("/setposition&301");
    EXPECT_EQ(value("TIMEPLAYING"), "00:03");
    player_.body("/prev");
    const std::string restarted = player_.body("/fetch");
    EXPECT_EQ(PlayerInstance::feedValue(restarted, "RESOURCE"), songs_[1].substr(1)) << restarted;
    EXPECT_EQ(PlayerInstance::feedValue(restarted, "TIMEPLAYING"), "00:00") << restarted;

    player_.body("/setposition&300");  // three seconds exactly are not past the mark
    player_.body("/prev");
    const std::string previous = player_.body("/fetch");
    EXPECT_EQ(PlayerInstance::feedValue(previous, "RESOURCE"), songs_[0].substr(1)) << previous;
    EXPECT_EQ(PlayerInstance::feedValue(previous, "TITLE"), "a.wav") << previous;
    EXPECT_EQ(PlayerInstance::feedValue(previous, "PLAYSTATUS"), "1") << previous;
}

TEST_F(PlaybackTiming, EachSpeedStepChangesHowFastTheSongAdvances) {
    constexpr int kSeconds = 20;
    ASSERT_TRUE(startWithSongs({"a.wav"}, kSeconds));
    player_.body("/set&" + songs_[0]);
    ASSERT_TRUE(waitUntil([&] { return value("POSITION") != "0"; }, 5s));

    // Song milliseconds per wall-clock millisecond, from the position in thousandths.
    const auto speed = [&](std::chrono::milliseconds window) {
        const auto sample = [&] {
            const auto asked = Clock::now();
            const double songMs = std::stoi(value("POSITION")) * kSeconds;
            return std::pair{asked + (Clock::now() - asked) / 2, songMs};
        };
        const auto [from, fromMs] = sample();
        std::this_thread::sleep_for(window);
        const auto [to, toMs] = sample();
        return (toMs - fromMs) / std::chrono::duration<double, std::milli>(to - from).count();
    };
    EXPECT_NEAR(speed(1000ms), 1.0, 0.07);
    for (int step = 0; step < 3; ++step) EXPECT_EQ(player_.body("/speedup"), "ok");
    EXPECT_NEAR(speed(1200ms), 1.728, 0.1);  // 44100 Hz became 76204.8 Hz
    EXPECT_EQ(player_.body("/speeddown"), "ok");
    EXPECT_NEAR(speed(1200ms), 1.44, 0.1);  // 63504 Hz
}
