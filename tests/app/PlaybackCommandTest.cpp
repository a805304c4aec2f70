#include <gtest/gtest.h>

#include "support/PlayerInstance.h"
#include "support/SongFiles.h"

TEST(PlaybackCommands, VolumeQueueAndPlayPositionAnswerAndPersist) {
    PlayerInstance player;
    const std::string music = player.root() + "music";
    // Real songs: one that failed to open would make the player move on by itself.
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) TempFolder::write(music + "/" + name, silentWav(60000, 8000, 1));
    auto running = player.startRunning();
    ASSERT_TRUE(running);
    const std::vector<std::string> songs = player.scanSongs(music, 3);
    ASSERT_EQ(songs.size(), 3u);

    EXPECT_EQ(player.body("/setvolume&value=500"), "ok");
    EXPECT_EQ(player.body("/getuserpref&VOLUME"), "0.500000");

    const auto queue = [&] { return PlayerInstance::rowIds(player.body("/listqueue")); };
    EXPECT_EQ(player.body("/queueadd&" + songs[2] + "&&" + songs[0]), "ok");
    EXPECT_EQ(queue(), (std::vector<std::string>{"s1000000000", "s1000000001"}));
    EXPECT_EQ(player.body("/queuedel&s1000000000"), "ok");
    EXPECT_EQ(queue(), std::vector<std::string>{"s1000000000"});
    EXPECT_EQ(player.body("/queueclear"), "ok");
    EXPECT_TRUE(queue().empty());

    EXPECT_EQ(player.body("/set&" + songs[1]), "ok");
    EXPECT_EQ(player.body("/getuserpref&PLAYING"), "1");  // its place in the view
    for (const char* command : {"/play", "/pause", "/speedup", "/speeddown", "/setposition&500", "/next", "/prev",
                                "/stop", "/setshuffle&1", "/setflat&1", "/setpage&1", "/setpagetocurrentsong"}) {
        EXPECT_EQ(player.body(command), "ok") << command;
    }
    EXPECT_EQ(player.body("/getuserpref&SHUFFLE"), "1");
    EXPECT_EQ(player.body("/rebuildlist"), "");

    EXPECT_EQ(PlayerInstance::stop(*running), 0);
}
