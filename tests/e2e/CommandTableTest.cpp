#include <gtest/gtest.h>

#include <array>
#include <string_view>

#include "support/PlayerInstance.h"
#include "support/SongFiles.h"

namespace {

constexpr std::array<std::string_view, 55> kCommandPaths{
    "/list", "/listqueue", "/listradio", "/listcovers", "/blank", "/songaction", "/print_title",
    "/getsonginfo", "/getdata", "/newfilter", "/setfilterdata", "/removefilter", "/listfilter",
    "/rebuildlist", "/listfilterselect", "/move_dir", "/getinfo", "/getinfo_fs", "/getinfo_db", "/play",
    "/pause", "/stop", "/set", "/queueadd", "/queuedel", "/queueclear", "/queueshuffle", "/prev", "/next",
    "/test", "/flush", "/setpage", "/setshuffle", "/setflat", "/setposition", "/setvolume", "/setrate",
    "/speedup", "/speeddown", "/scan", "/rescantags", "/syncradio", "/artwork", "/findimg", "/fetcheq", "/img",
    "/saveart", "/dir", "/search", "/setfilter", "/getuserpref", "/setuserpref", "/setpagetocurrentsong",
    "/fetch", "/widget/VelmorantWidget.zip"};

// Arguments a hand-typed or hostile address may carry.
constexpr std::array<std::string_view, 5> kOddArguments{
    "", "&", "&s-1", "&id=2147483647&nr=-1&value=99999999999999999999&name=&token=",
    "&id=1000000005&action=none&image=http://127.0.0.1:1/x.png&album=%&artist=%zz"};

}  // namespace

// Every command answers whatever its arguments, with a song playing and no server to ask;
// the player is still there afterwards, "/quit" ends it in order, and the library it
// stored opens again.
TEST(CommandTable, EveryCommandAnswersEvenOddArguments) {
    PlayerInstance player;
    const std::string music = player.root() + "music";
    TempFolder::write(music + "/Album/a.wav", silentWav(60000, 8000, 1));
    TempFolder::write(music + "/Album/b.wav", silentWav(60000, 8000, 1));
    player.writeServerSettings("RADIO_LIST_URL=http://127.0.0.1:1/radio/radio.vmr\nCOVER_SEARCH_HOST=127.0.0.1:1\n");
    auto running = player.startRunning();
    ASSERT_TRUE(running);
    const std::vector<std::string> songs = player.scanSongs(music, 2);
    ASSERT_EQ(songs.size(), 2u);
    player.body("/set&" + songs[0]);

    for (std::string_view path : kCommandPaths) {
        for (std::string_view arguments : kOddArguments) {
            const std::string request = std::string(path) + std::string(arguments);
            EXPECT_TRUE(player.get(request).starts_with("HTTP/1.0 200 OK\r\n")) << request;
        }
    }
    EXPECT_EQ(player.body("/quit"), "ok");
    EXPECT_EQ(running->waitForExit(std::chrono::seconds(10)), 0);

    running = player.startRunning();
    ASSERT_TRUE(running);
    player.body("/search");  // the last odd search is kept like any other
    EXPECT_EQ(PlayerInstance::rowIds(player.body("/list")).size(), 2u) << player.body("/list");
    EXPECT_EQ(PlayerInstance::stop(*running), 0);
}
