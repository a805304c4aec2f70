// Outgoing requests to servers that hang, drip or lie about their length, and stations that
// cannot be reached, against the real player: nobody else waits for them, each gives up in
// time with its usual answer, and a station that fails behaves as a file that cannot be opened.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <future>
#include <set>

#include "support/IcyStream.h"
#include "support/PlayerInstance.h"
#include "support/SongFiles.h"
#include "support/TestHttpServer.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// Far under the seconds a request waiting on a slow server would take, and above what a
// machine busy with other tests adds to a free server's answer.
constexpr auto kPrompt = 400ms;
constexpr auto kFetchDeadline = 15s;

// Sends nothing, holding each connection until the player gives up on it or `limit` passes.
TestHttpServer hangingServer(std::chrono::milliseconds limit) {
    return TestHttpServer([limit](TCPSocket& connection, const std::string&) { awaitClientClose(connection, limit); });
}

// A promising header, then the body one byte a second until the player hangs up.
TestHttpServer drippingServer() {
    return TestHttpServer([](TCPSocket& connection, const std::string&) {
        connection.send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
        for (int i = 0; i < 30 && connection.send("x"); ++i) std::this_thread::sleep_for(1s);
    });
}

// Announces more than it sends and keeps the connection open.
TestHttpServer shortBodyServer() {
    return TestHttpServer([](TCPSocket& connection, const std::string&) {
        connection.send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n\x89PNG\r\n\x1a\n");
        awaitClientClose(connection, 30s);
    });
}

struct Timed {
    std::string body;
    Clock::duration took;
};

std::future<Timed> bodyLater(const PlayerInstance& player, const std::string& path) {
    return std::async(std::launch::async, [&player, path] {
        const auto asked = Clock::now();
        std::string body = player.slowBody(path);
        return Timed{std::move(body), Clock::now() - asked};
    });
}

Clock::duration timeOf(const std::function<void()>& request) {
    const auto asked = Clock::now();
    request();
    return Clock::now() - asked;
}

bool ready(const std::future<Timed>& answer) { return answer.wait_for(0s) == std::future_status::ready; }

}  // namespace

TEST(SlowServers, HoldUpNeitherOtherClientsNorPlaybackAndGiveUpByTheDeadline) {
    TestHttpServer radioList = drippingServer();
    TestHttpServer catalogue = hangingServer(30s);
    TestHttpServer pictures = shortBodyServer();
    PlayerInstance player;
    const std::string music = player.root() + "music";
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) TempFolder::write(music + "/" + name, silentWav(1500, 8000, 1));
    player.writeServerSettings("RADIO_LIST_URL=" + radioList.url("/radio/radio.vmr") +
                               "\nCOVER_SEARCH_HOST=127.0.0.1:" + std::to_string(catalogue.port()) + "\n");
    auto running = player.startRunning();
    ASSERT_TRUE(running);
    const std::vector<std::string> songs = player.scanSongs(music, 3);
    ASSERT_EQ(songs.size(), 3u);
    player.body("/set&" + songs[0]);

    std::future<Timed> synced = bodyLater(player, "/syncradio");
    std::future<Timed> covers = bodyLater(player, "/findimg&album=Blue&artist=Train");
    std::future<Timed> saved = bodyLater(player, "/saveart&image=" + pictures.url("/cover.png"));
    std::this_thread::sleep_for(200ms);  // all three under way

    Clock::duration slowest{};
    std::set<std::string> played;
    while (!(ready(synced) && ready(covers) && ready(saved))) {
        slowest = std::max(slowest, timeOf([&] { EXPECT_EQ(player.body("/test"), "ok"); }));
        std::string feed;
        slowest = std::max(slowest, timeOf([&] { feed = player.body("/fetch"); }));
        if (!ready(synced)) played.insert(PlayerInstance::feedValue(feed, "RESOURCE").value_or(""));
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_LT(slowest, kPrompt);
    EXPECT_TRUE(played.contains(songs[1].substr(1)) && played.contains(songs[2].substr(1))) << played.size();

    // Each fails as it always has; the dripping list is the one that runs into the deadline.
    const Timed sync = synced.get();
    EXPECT_EQ(sync.body, "ok");
    EXPECT_GT(sync.took, kFetchDeadline - 1s);
    EXPECT_LT(sync.took, kFetchDeadline + 1s);
    EXPECT_TRUE(running->waitForOutput("fetchUrl: no complete answer before the deadline", 1s)) << running->output();
    const Timed cover = covers.get();
    const Timed picture = saved.get();
    EXPECT_EQ(cover.body, "ok");
    EXPECT_EQ(picture.body, "Error");
    EXPECT_LT(std::max(cover.took, picture.took), kFetchDeadline + 1s);
    EXPECT_FALSE(std::filesystem::exists(music + "/cover.png"));
    EXPECT_NE(player.body("/listradio").find("No channels loaded."), std::string::npos);
    EXPECT_EQ(PlayerInstance::stop(*running), 0);
}

TEST(Stations, ThatCannotBeReachedFailAsFilesThatCannotBeOpened) {
    TestHttpServer slowPlaylist = hangingServer(1500ms);
    TestHttpServer missing([](TCPSocket& connection, const std::string&) {
        connection.send("HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n");
    });
    TestHttpServer mute([](TCPSocket& connection, const std::string&) {
        connection.send(icyAnswer("", "Mute Radio", "nothing"));
    });
    const std::map<std::string, std::string> streams{
        {"Gone", missing.url("/live")}, {"Refused", "http://127.0.0.1:1/live"}, {"Mute", mute.url("/live")}};
    TestHttpServer playlists([&streams](TCPSocket& connection, const std::string& request) {
        const std::string station = request.substr(5, request.find(".pls") - 5);
        respond(connection, "[playlist]\nFile1=" + streams.at(station) + "\n");
    });
    std::string list = "CHANNELS Test\n RADIO Silent\n  PLAYLIST " + slowPlaylist.url("/silent.pls") + "\n";
    for (const auto& [station, stream] : streams) {
        list += " RADIO " + station + "\n  PLAYLIST " + playlists.url("/" + station + ".pls") + "\n";
    }
    TestHttpServer lists([&list](TCPSocket& connection, const std::string&) { respond(connection, list); });

    PlayerInstance player;
    player.writeServerSettings("RADIO_LIST_URL=" + lists.url("/radio/radio.vmr") + "\n");
    auto running = player.startRunning();
    ASSERT_TRUE(running);
    ASSERT_EQ(player.body("/syncradio"), "ok");
    const std::vector<std::string> stations = PlayerInstance::rowIds(player.body("/listradio"));
    ASSERT_EQ(stations.size(), 4u);  // Silent, then the others in name order

    // The answer comes at once; the station shows by its own name while its playlist is awaited.
    EXPECT_LT(timeOf([&] { EXPECT_EQ(player.body("/set&" + stations[0]), "ok"); }), kPrompt);
    EXPECT_LT(timeOf([&] { EXPECT_EQ(player.body("/print_title"), "Silent"); }), kPrompt);
    EXPECT_EQ(PlayerInstance::feedValue(player.body("/fetch"), "TITLE"), "Silent");

    // Each failure reaches the feed, and the player lets the station go: it shows by its own
    // name again and plays nothing (the library has no song to move on to).
    const std::map<std::string, std::string> errors{{"Silent", "File not found."},
                                                    {"Gone", "Server returned 404 Not Found"},
                                                    {"Refused", "Connection refused"},
                                                    {"Mute", "The stream ended before any audio."}};
    const std::vector<std::string> names{"Silent", "Gone", "Mute", "Refused"};
    for (size_t i = 0; i < stations.size(); ++i) {
        if (i > 0) player.body("/set&" + stations[i]);
        std::string feed;
        EXPECT_TRUE(waitUntil([&] {
            feed = player.body("/fetch");
            return PlayerInstance::feedValue(feed, "ERROR").has_value();
        }, 5s)) << names[i];
        EXPECT_EQ(PlayerInstance::feedValue(feed, "ERROR"), errors.at(names[i])) << feed;
        EXPECT_EQ(PlayerInstance::feedValue(feed, "TITLE"), names[i]) << feed;
        EXPECT_EQ(PlayerInstance::feedValue(feed, "PLAYSTATUS"), "0") << feed;
        EXPECT_EQ(player.body("/print_title"), names[i]);
        EXPECT_TRUE(waitUntil([&] { return !PlayerInstance::feedValue(player.body("/fetch"), "ERROR"); }, 3s));
    }

    // With songs listed, the main loop moves on as after a file it cannot open.
    const std::string music = player.root() + "music";
    for (const char* name : {"a.wav", "b.wav"}) TempFolder::write(music + "/" + name, silentWav(60000, 8000, 1));
    const std::vector<std::string> songs = player.scanSongs(music, 2);
    ASSERT_EQ(songs.size(), 2u);
    player.body("/set&" + stations[1]);
    EXPECT_TRUE(waitUntil([&] {
        return PlayerInstance::feedValue(player.body("/fetch"), "RESOURCE") == songs[1].substr(1);
    }, 5s));
    EXPECT_EQ(player.body("/print_title"), "b.wav");

    // Stopped while its playlist is awaited, a station stays stopped.
    player.body("/set&" + stations[0]);
    player.body("/stop");
    std::this_thread::sleep_for(2500ms);  // the playlist server has given up
    const std::string feed = player.body("/fetch");
    EXPECT_EQ(PlayerInstance::feedValue(feed, "TITLE"), "Silent") << feed;
    EXPECT_EQ(PlayerInstance::feedValue(feed, "PLAYSTATUS"), "0") << feed;
    EXPECT_FALSE(PlayerInstance::feedValue(feed, "ERROR")) << feed;
    EXPECT_EQ(PlayerInstance::stop(*running), 0);
}
