#include <gtest/gtest.h>

#include "support/PlayerInstance.h"

using namespace std::chrono_literals;

namespace {

std::string body(const PlayerInstance& player, const std::string& path) {
    return PlayerInstance::bodyOf(player.get(path));
}

}  // namespace

TEST(ListCommands, TheListsArriveAsFragmentsWithStoredTextEscaped) {
    PlayerInstance player;
    const std::string music = player.root() + "music";
    TempFolder::write(music + "/<b>loud.mp3", "not really a song");
    TempFolder::write(music + "/quiet.mp3", "not really a song");
    auto running = player.start({});
    ASSERT_TRUE(player.waitUntilRunning());
    ASSERT_TRUE(running->waitForOutput("Server started.", 10s));
    body(player, "/setuserpref&name=REPOSITORY_PATHS&value=" + music);
    body(player, "/scan");
    std::string list;
    for (int attempt = 0; attempt < 100 && list.find("quiet.mp3") == std::string::npos; ++attempt) {
        std::this_thread::sleep_for(100ms);
        list = body(player, "/list");
    }
    EXPECT_EQ(list.rfind("<div class='pagefield'>Page <span id='currpage'>1</span> of 1 </div>", 0), 0u) << list;
    EXPECT_NE(list.find("&lt;b&gt;loud.mp3"), std::string::npos) << list;
    EXPECT_EQ(list.find("<b>loud"), std::string::npos);
    EXPECT_NE(list.find("<div id='footer'>2 matches. Processed in "), std::string::npos) << list;

    EXPECT_EQ(body(player, "/listfilterselect"), "Filter off;Rate 5");
    EXPECT_NE(body(player, "/listfilter").find("<input type='text' value='$rate == 5'>"), std::string::npos);
    EXPECT_EQ(body(player, "/listqueue").rfind("<table><col width='*'><col width='79'><col width='90'>\n</table>", 0), 0u);
    EXPECT_NE(body(player, "/listradio").find("No channels loaded."), std::string::npos);
    EXPECT_NE(body(player, "/getinfo_db").find("<H1>Library</H1>"), std::string::npos);
    EXPECT_NE(body(player, "/listcovers").find("<p>Number of images: 0</p>"), std::string::npos);

    running->signal(SIGTERM);
    EXPECT_EQ(running->waitForExit(10s), 0);
}
