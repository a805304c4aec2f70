#include <gtest/gtest.h>

#include "support/PlayerInstance.h"

using namespace std::chrono_literals;

namespace {

std::string body(const PlayerInstance& player, const std::string& path) {
    return PlayerInstance::bodyOf(player.get(path));
}

}  // namespace

TEST(FilterCommands, FiltersAreEditedSelectedAndSearched) {
    PlayerInstance player;
    const std::string music = player.root() + "music";
    for (const char* name : {"quiet storm.mp3", "loud.mp3", "louder.mp3"}) TempFolder::write(music + "/" + name, "x");
    auto running = player.start({});
    ASSERT_TRUE(player.waitUntilRunning());
    ASSERT_TRUE(running->waitForOutput("Server started.", 10s));
    body(player, "/setuserpref&name=REPOSITORY_PATHS&value=" + music);
    body(player, "/scan");
    for (int attempt = 0; attempt < 100 && body(player, "/list").find("louder.mp3") == std::string::npos; ++attempt) {
        std::this_thread::sleep_for(100ms);
    }

    EXPECT_EQ(body(player, "/newfilter"), "ok");
    EXPECT_EQ(body(player, "/listfilterselect"), "Filter off;Rate 5;Unnamed");
    EXPECT_EQ(body(player, "/setfilterdata&name=Loud%20%26%20louder&value=%24file%20%3D%3D%20%22loud*%22&index=1"), "ok");
    EXPECT_EQ(body(player, "/listfilterselect"), "Filter off;Rate 5;Loud & louder");

    EXPECT_EQ(body(player, "/setfilter&2"), "ok");
    EXPECT_EQ(body(player, "/getuserpref&FILTER"), "2");
    EXPECT_NE(PlayerInstance::bodyOf(player.get("/fetch")).find("\nINFO Found 2 songs.\n"), std::string::npos);
    EXPECT_EQ(body(player, "/setfilter&0"), "ok");

    EXPECT_EQ(body(player, "/search&quiet"), "ok");
    EXPECT_EQ(body(player, "/getuserpref&SEARCH"), "quiet");
    EXPECT_NE(PlayerInstance::bodyOf(player.get("/fetch")).find("\nINFO Found 1 songs.\n"), std::string::npos);

    EXPECT_EQ(body(player, "/removefilter&index=1"), "ok");
    EXPECT_EQ(body(player, "/listfilterselect"), "Filter off;Rate 5");

    running->signal(SIGTERM);
    EXPECT_EQ(running->waitForExit(10s), 0);
}
