#include <gtest/gtest.h>

#include "support/PlayerInstance.h"

TEST(ListCommands, TheListsArriveAsFragmentsWithStoredTextEscaped) {
    PlayerInstance player;
    const std::string music = player.root() + "music";
    TempFolder::write(music + "/<b>loud.mp3", "not really a song");
    TempFolder::write(music + "/quiet.mp3", "not really a song");
    auto running = player.startRunning();
    ASSERT_TRUE(running);
    ASSERT_EQ(player.scanSongs(music, 2).size(), 2u);
    const std::string list = player.body("/list");
    EXPECT_EQ(list.rfind("<div class='pagefield'>Page <span id='currpage'>1</span> of 1 </div>", 0), 0u) << list;
    EXPECT_NE(list.find("&lt;b&gt;loud.mp3"), std::string::npos) << list;
    EXPECT_EQ(list.find("<b>loud"), std::string::npos);
    EXPECT_NE(list.find("<div id='footer'>2 matches. Processed in "), std::string::npos) << list;

    EXPECT_EQ(player.body("/listfilterselect"), "Filter off;Rate 5");
    EXPECT_NE(player.body("/listfilter").find("<input type='text' value='$rate == 5'>"), std::string::npos);
    EXPECT_EQ(player.body("/listqueue").rfind("<table><col width='*'><col width='79'><col width='90'>\n</table>", 0), 0u);
    EXPECT_NE(player.body("/listradio").find("No channels loaded."), std::string::npos);
    EXPECT_NE(player.body("/getinfo_db").find("<H1>Library</H1>"), std::string::npos);
    EXPECT_NE(player.body("/listcovers").find("<p>Number of images: 0</p>"), std::string::npos);

    EXPECT_EQ(PlayerInstance::stop(*running), 0);
}
