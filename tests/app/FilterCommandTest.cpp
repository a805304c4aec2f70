#include <gtest/gtest.h>

#include "support/PlayerInstance.h"

TEST(FilterCommands, FiltersAreEditedSelectedAndSearched) {
    PlayerInstance player;
    const std::string music = player.root() + "music";
    for (const char* name : {"quiet storm.mp3", "loud.mp3", "louder.mp3"}) TempFolder::write(music + "/" + name, "x");
    auto running = player.startRunning();
    ASSERT_TRUE(running);
    ASSERT_EQ(player.scanSongs(music, 3).size(), 3u);

    EXPECT_EQ(player.body("/newfilter"), "ok");
    EXPECT_EQ(player.body("/listfilterselect"), "Filter off;Rate 5;Unnamed");
    EXPECT_EQ(player.body("/setfilterdata&name=Loud%20%26%20louder&value=%24file%20%3D%3D%20%22loud*%22&index=1"), "ok");
    EXPECT_EQ(player.body("/listfilterselect"), "Filter off;Rate 5;Loud & louder");

    EXPECT_EQ(player.body("/setfilter&2"), "ok");
    EXPECT_EQ(player.body("/getuserpref&FILTER"), "2");
    EXPECT_NE(player.body("/fetch").find("\nINFO Found 2 songs.\n"), std::string::npos);
    EXPECT_EQ(player.body("/setfilter&0"), "ok");

    EXPECT_EQ(player.body("/search&quiet"), "ok");
    EXPECT_EQ(player.body("/getuserpref&SEARCH"), "quiet");
    EXPECT_NE(player.body("/fetch").find("\nINFO Found 1 songs.\n"), std::string::npos);

    EXPECT_EQ(player.body("/removefilter&index=1"), "ok");
    EXPECT_EQ(player.body("/listfilterselect"), "Filter off;Rate 5");

    EXPECT_EQ(PlayerInstance::stop(*running), 0);
}
