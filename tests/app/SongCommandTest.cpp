#include <gtest/gtest.h>

#include <regex>

#include "support/PlayerInstance.h"

using namespace std::chrono_literals;

namespace {

std::string body(const PlayerInstance& player, const std::string& path) {
    return PlayerInstance::bodyOf(player.get(path));
}

std::string firstRowId(const std::string& html) {
    std::smatch match;
    return std::regex_search(html, match, std::regex("<tr id='s([0-9]+)'>")) ? match[1].str() : std::string();
}

}  // namespace

TEST(SongCommands, SongFieldsRatingsAndInfoPages) {
    PlayerInstance player;
    const std::string music = player.root() + "music";
    TempFolder::write(music + "/untagged.mp3", "not really a song");
    auto running = player.start({});
    ASSERT_TRUE(player.waitUntilRunning());
    ASSERT_TRUE(running->waitForOutput("Server started.", 10s));
    body(player, "/setuserpref&name=REPOSITORY_PATHS&value=" + music);
    body(player, "/scan");
    std::string id;
    for (int attempt = 0; attempt < 100 && id.empty(); ++attempt) {
        std::this_thread::sleep_for(100ms);
        id = firstRowId(body(player, "/list"));
    }
    ASSERT_FALSE(id.empty());

    const std::string info = body(player, "/getsonginfo&id=" + id);
    EXPECT_EQ(info.rfind("FILE untagged.mp3\nPATH " + music + "\nTITLE -\nARTIST -\nALBUM -\nGENRE -\nRATE -\nYEAR -\n"
                         "TRACK -\nPLAYCOUNT -\nADDED ", 0),
              0u)
        << info;
    EXPECT_EQ(info.substr(info.size() - 2), "\n\n");
    EXPECT_EQ(body(player, "/getsonginfo&id=999999"), "ok");
    EXPECT_EQ(body(player, "/getdata&id=" + id + "&token=TITLE&token=RATE&token=ADDED").find("\n\n"), 0u);

    EXPECT_EQ(body(player, "/setrate&id=" + id + "&value=4"), "ok");
    EXPECT_EQ(body(player, "/getdata&id=" + id + "&token=RATE"), "4\n");
    EXPECT_EQ(body(player, "/print_title"), "");
    EXPECT_EQ(body(player, "/fetcheq").rfind("<EQ><CENTER>", 0), 0u);
    const std::string page = body(player, "/getinfo");
    EXPECT_EQ(page.rfind("VelmorantPlayer version: 1.00 Beta 1<br>Audio engine: FFmpeg", 0), 0u) << page;
    EXPECT_NE(page.find("Uptime: 0 min "), std::string::npos) << page;
    EXPECT_NE(page.find("Requests count: "), std::string::npos) << page;
    running->signal(SIGTERM);
    ASSERT_EQ(running->waitForExit(10s), 0);

    // The rating survives a restart.
    running = player.start({});
    ASSERT_TRUE(player.waitUntilRunning());
    ASSERT_TRUE(running->waitForOutput("Server started.", 10s));
    id = firstRowId(body(player, "/list"));
    EXPECT_EQ(body(player, "/getdata&id=" + id + "&token=RATE"), "4\n");
    running->signal(SIGTERM);
    EXPECT_EQ(running->waitForExit(10s), 0);
}
