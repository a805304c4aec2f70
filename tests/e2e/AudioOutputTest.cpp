#include <gtest/gtest.h>

#include "support/PlayerInstance.h"
#include "support/SongFiles.h"

using namespace std::chrono_literals;

namespace {

const std::string kNoDevice = "No sound device could be opened";

}  // namespace

// Started before the sound server, or with its USB device unplugged, the player waits for
// the device: it serves the web interface, says why nothing sounds, and keeps ALSA's own
// lines about the missing device off its output.
TEST(SoundDevice, APlayerWithoutItsDeviceStartsAndSaysWhy) {
    PlayerInstance player;
    player.setEnvironment("VELMORANT_AUDIO=");
    player.setEnvironment("SDL_AUDIODRIVER=alsa");
    player.setEnvironment("AUDIODEV=velmorant_no_such_pcm");
    const std::string music = player.root() + "music";
    TempFolder::write(music + "/a.wav", silentWav(5000, 8000, 1));
    auto running = player.startRunning();
    ASSERT_TRUE(running);
    EXPECT_NE(running->output().find(kNoDevice), std::string::npos) << running->output();
    EXPECT_EQ(player.body("/test"), "ok");

    const std::vector<std::string> songs = player.scanSongs(music, 1);
    ASSERT_EQ(songs.size(), 1u);
    // Playing tries the device again, and the feed says it is still missing.
    std::string error;
    EXPECT_TRUE(waitUntil(
        [&] {
            player.body("/set&" + songs[0]);
            error = PlayerInstance::feedValue(player.body("/fetch"), "ERROR").value_or("");
            return error.find(kNoDevice) != std::string::npos;
        },
        10s, 100ms))
        << error;
    EXPECT_NE(player.body("/getinfo").find("waiting for a sound device: " + kNoDevice), std::string::npos);
    EXPECT_EQ(PlayerInstance::feedValue(player.body("/fetch"), "TIMEPLAYING"), "00:00");

    EXPECT_EQ(PlayerInstance::stop(*running), 0);
    EXPECT_EQ(running->errors().find("ALSA"), std::string::npos) << running->errors();
}
