#include <gtest/gtest.h>

#include <regex>

#include "support/PlayerInstance.h"

using namespace std::chrono_literals;

namespace {

std::string body(const PlayerInstance& player, const std::string& path) {
    return PlayerInstance::bodyOf(player.get(path));
}

std::vector<std::string> rowIds(const std::string& html) {
    std::vector<std::string> ids;
    const std::regex row("<tr id='(s[0-9]+)'>");
    for (auto match = std::sregex_iterator(html.begin(), html.end(), row); match != std::sregex_iterator(); ++match) {
        ids.push_back((*match)[1]);
    }
    return ids;
}

}  // namespace

TEST(PlaybackCommands, VolumeQueueAndPlayPositionAnswerAndPersist) {
    PlayerInstance player;
    const std::string music = player.root() + "music";
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) TempFolder::write(music + "/" + name, "not really a song");
    auto running = player.start({});
    ASSERT_TRUE(player.waitUntilRunning());
    ASSERT_TRUE(running->waitForOutput("Server started.", 10s));
    body(player, "/setuserpref&name=REPOSITORY_PATHS&value=" + music);
    body(player, "/scan");
    std::vector<std::string> songs;
    for (int attempt = 0; attempt < 100 && songs.size() < 3; ++attempt) {
        std::this_thread::sleep_for(100ms);
        songs = rowIds(body(player, "/list"));
    }
    ASSERT_EQ(songs.size(), 3u);

    EXPECT_EQ(body(player, "/setvolume&value=500"), "ok");
    EXPECT_EQ(body(player, "/getuserpref&VOLUME"), "0.500000");

    EXPECT_EQ(body(player, "/queueadd&" + songs[2] + "&&" + songs[0]), "ok");
    EXPECT_EQ(rowIds(body(player, "/listqueue")), (std::vector<std::string>{"s1000000000", "s1000000001"}));
    EXPECT_EQ(body(player, "/queuedel&s1000000000"), "ok");
    EXPECT_EQ(rowIds(body(player, "/listqueue")), std::vector<std::string>{"s1000000000"});
    EXPECT_EQ(body(player, "/queueclear"), "ok");
    EXPECT_TRUE(rowIds(body(player, "/listqueue")).empty());

    EXPECT_EQ(body(player, "/set&" + songs[1]), "ok");
    EXPECT_EQ(body(player, "/getuserpref&PLAYING"), songs[1].substr(1));
    for (const char* command : {"/play", "/pause", "/speedup", "/speeddown", "/setposition&500", "/next", "/prev",
                                "/stop", "/setshuffle&1", "/setflat&1", "/setpage&1", "/setpagetocurrentsong"}) {
        EXPECT_EQ(body(player, command), "ok") << command;
    }
    EXPECT_EQ(body(player, "/getuserpref&SHUFFLE"), "1");
    EXPECT_EQ(body(player, "/rebuildlist"), "");

    running->signal(SIGTERM);
    EXPECT_EQ(running->waitForExit(10s), 0);
}
