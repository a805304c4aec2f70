#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "support/MakeLibrary.h"
#include "support/PlayerInstance.h"
#include "support/WakeUps.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::map<std::string, fs::file_time_type> writeTimes(const std::string& folder) {
    std::map<std::string, fs::file_time_type> times;
    for (const auto& file : fs::recursive_directory_iterator(folder)) {
        if (file.is_regular_file()) times[file.path().string()] = file.last_write_time();
    }
    return times;
}

}  // namespace

// A player with a stored library, nothing playing and nothing changed sleeps: no thread
// wakes on a clock (not the main loop, the output with nothing to play, nor the decoder of
// the stopped song), and neither a cluster nor a settings file is written.
TEST(Idle, NothingPlayingAndNothingChangedWakesNothingAndWritesNothing) {
    PlayerInstance player;
    const std::string music = player.root() + "music";
    ASSERT_TRUE(makeLibrary("--out '" + music + "' --files 6"));
    {
        auto first = player.startRunning();
        ASSERT_TRUE(first);
        ASSERT_EQ(player.scanSongs(music, 6).size(), 6u);
        EXPECT_TRUE(waitUntil([&] { return player.body("/scanstatus").find("TAGS_PENDING 0") != std::string::npos; },
                              20s, 50ms));
        EXPECT_EQ(PlayerInstance::stop(*first), 0);
    }

    // A start plays the song that played last; stopped before it ends, nothing changes.
    auto running = player.startRunning();
    ASSERT_TRUE(running);
    EXPECT_EQ(player.body("/stop"), "ok");
    // The folder lists read at start leave memory once idle; after that nothing is due.
    ASSERT_TRUE(running->waitForOutput("Deactivated filecluster", 20s)) << running->output();
    std::this_thread::sleep_for(500ms);
    const auto times = writeTimes(player.userSettings());
    const size_t logged = running->output().size();
    const long switches = contextSwitches(running->pid());
    std::this_thread::sleep_for(3s);

    // Polling every 10 ms would be some 300, the output's clock alone over 30; a few stray
    // wake-ups are allowed.
    EXPECT_LT(contextSwitches(running->pid()) - switches, 10);
    EXPECT_EQ(writeTimes(player.userSettings()), times);
    EXPECT_EQ(running->output().substr(logged), "");
    EXPECT_EQ(PlayerInstance::stop(*running), 0);
}
