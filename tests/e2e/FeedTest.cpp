#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <regex>

#include "support/IcyStream.h"
#include "support/MakeLibrary.h"
#include "support/PlayerInstance.h"
#include "support/SongFiles.h"
#include "support/TestHttpServer.h"

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

TEST(Feed, ARadioStationShowsTheStreamTitleTheStationAndTheBufferFill) {
    TempFolder files;
    ASSERT_TRUE(encodeTone(files / "radio.mp3", 6, std::string(kBareMp3) + " -b:a 64k"));
    const std::string stream = icyAnswer(TempFolder::read(files / "radio.mp3"), "Test Radio", "Artist - Song");
    TestHttpServer radio([&stream](TCPSocket& connection, const std::string&) {
        connection.send(stream);
        awaitClientClose(connection, 30s);  // the player keeps the stream until it stops
    });
    TestHttpServer playlists([url = radio.url("/stream")](TCPSocket& connection, const std::string&) {
        respond(connection, "[playlist]\nNumberOfEntries=1\nFile1=" + url + "\n");
    });
    TestHttpServer lists([url = playlists.url("/smooth.pls")](TCPSocket& connection, const std::string&) {
        respond(connection, "CHANNELS Jazz\n RADIO Smooth\n  PLAYLIST " + url +
                                "\n  HOMEURL http://127.0.0.1/smooth\n  IMAGE smooth.png\n");
    });
    PlayerInstance player;
    player.writeServerSettings("RADIO_LIST_URL=" + lists.url("/radio/radio.vmr") + "\n");
    auto running = player.startRunning();
    ASSERT_TRUE(running);
    EXPECT_EQ(player.body("/syncradio"), "ok");
    const std::vector<std::string> stations = PlayerInstance::rowIds(player.body("/listradio"));
    ASSERT_EQ(stations.size(), 1u);

    player.body("/set&" + stations[0]);
    // The title arrives with the stream, the station's name with its headers; the player's
    // own time runs for streams too.
    const std::string song = "\nTITLE Artist - Song\nARTIST \nALBUM Test Radio\nPATH http://127.0.0.1/smooth\n"
                             "ALBUM Test Radio\nIMAGE smooth.png\n";
    std::string feed;
    EXPECT_TRUE(waitUntil([&] {
        feed = player.body("/fetch");
        return feed.find(song) != std::string::npos && feed.find("\nTIMEPLAYING 00:01\n") != std::string::npos;
    }, 10s)) << feed;
    std::smatch buffered;
    ASSERT_TRUE(std::regex_search(feed, buffered, std::regex("\nTIME ([0-9]{2,3})%\n"))) << feed;
    EXPECT_LE(std::stoi(buffered[1]), 100);
    EXPECT_NE(radio.requests().at(0).find("Icy-MetaData: 1"), std::string::npos);
    for (const std::string& line : std::vector<std::string>{"\nRESOURCE " + stations[0].substr(1) + "\n",
                                                             "\nPOSITION 0\n", "\nPLAYSTATUS 1\n", "\nPLAYTYPE 2\n"}) {
        EXPECT_NE(feed.find(line), std::string::npos) << line << feed;
    }

    player.body("/pause");  // a stream cannot wait paused: it stops
    EXPECT_EQ(PlayerInstance::feedValue(player.body("/fetch"), "PLAYSTATUS"), "0");
    EXPECT_EQ(PlayerInstance::stop(*running), 0);
}

TEST(Feed, MessagesShowForOneToTwoSeconds) {
    PlayerInstance player;
    player.writeServerSettings("RADIO_LIST_URL=http://127.0.0.1:1/radio/radio.vmr\n");
    auto running = player.startRunning();
    ASSERT_TRUE(running);

    const auto posting = Clock::now();
    player.body("/syncradio");
    player.body("/search&nothing");
    const auto posted = Clock::now();
    EXPECT_NE(player.body("/fetch").find("\nERROR Connection error!\nINFO Found 0 songs.\n"), std::string::npos);
    player.body("/test");  // the error carries no line end; the next log line flushes it
    EXPECT_TRUE(running->waitForOutput("Connection error!", 5s)) << running->output();

    // Messages live for whole seconds of the clock: at least one second, at most two.
    struct Life {
        Clock::time_point lastSeen;
        std::optional<Clock::time_point> goneAt;
    };
    std::map<std::string, Life> lives{{"ERROR", {}}, {"INFO", {}}};
    EXPECT_TRUE(waitUntil([&] {
        const auto asked = Clock::now();
        const std::string feed = player.body("/fetch");
        bool shown = false;
        for (auto& [key, life] : lives) {
            if (life.goneAt) continue;
            if (feed.find("\n" + key + " ") == std::string::npos) {
                life.goneAt = Clock::now();
            } else {
                life.lastSeen = asked;
                shown = true;
            }
        }
        return !shown;
    }, 5s));
    for (const auto& [key, life] : lives) {
        EXPECT_GT(life.goneAt.value_or(posting) - posting, 1s) << key;
        EXPECT_LT(life.lastSeen - posted, 2500ms) << key;
    }
    EXPECT_EQ(PlayerInstance::stop(*running), 0);
}

TEST(Feed, ScanProgressAndTagReadingAreReported) {
    PlayerInstance player;
    const std::string music = player.root() + "music";
    constexpr int kSongs = 1000;  // enough that reading their tags takes several slices
    ASSERT_TRUE(makeLibrary("--out " + music + "/songs --files " + std::to_string(kSongs)));
    // Many files that are no songs, behind many folder links: a long walk for a quick merge.
    const std::string others = player.root() + "others";
    constexpr size_t kLinks = 20;
    constexpr size_t kOthers = 1000;
    fs::create_directories(music + "/links");
    for (size_t i = 0; i < kOthers; ++i) TempFolder::write(others + "/n" + std::to_string(i), "");
    for (size_t i = 0; i < kLinks; ++i) fs::create_directory_symlink(others, music + "/links/l" + std::to_string(i));
    size_t total = kLinks * kOthers;
    for (auto entry = fs::recursive_directory_iterator(music + "/songs"); entry != fs::end(entry); ++entry) {
        if (!entry->path().filename().string().starts_with('.')) {
            total += entry->is_regular_file();
        } else if (entry->is_directory()) {
            entry.disable_recursion_pending();
        }
    }
    auto running = player.startRunning();
    ASSERT_TRUE(running);

    std::vector<std::string> progress;
    std::vector<int> remaining;  // songs whose tags are still to be read
    std::string feed;
    const auto readFeed = [&] {
        feed = player.body("/fetch");
        const std::string info = PlayerInstance::feedValue(feed, "INFO").value_or("");
        const std::string tagsLeft = "Scanning tags. Remaining files: ";
        if (info.starts_with(tagsLeft)) remaining.push_back(std::stoi(info.substr(tagsLeft.size())));
        const std::optional<std::string> scanning = PlayerInstance::feedValue(feed, "SCANNING");
        if (scanning) progress.push_back(*scanning);
        return scanning.has_value();
    };
    // Polls the feed without pause, since the walk through the folders is over in moments.
    const auto scanUntilCounted = [&] {
        progress.clear();
        player.body("/scan");
        return waitUntil([&] {
            return !readFeed() && player.body("/getuserpref&REPOSITORY_NUM_FILES") == std::to_string(total);
        }, 30s, 0ms);
    };

    // The first scan knows no file count yet: it counts folders and files.
    player.body("/setuserpref&name=REPOSITORY_PATHS&value=" + music);
    ASSERT_TRUE(scanUntilCounted()) << feed << player.body("/getuserpref&REPOSITORY_NUM_FILES") << " of " << total;
    const std::regex counting("Scanning folder: ([0-9]+) file: ([0-9]+)");
    size_t counted = 0;
    for (const std::string& line : progress) {
        std::smatch match;
        if (!std::regex_match(line, match, counting)) continue;
        EXPECT_GE(std::stoul(match[2]), counted) << line;
        counted = std::stoul(match[2]);
        EXPECT_LE(counted, total) << line;
    }
    EXPECT_GT(counted, 0u) << testing::PrintToString(progress);

    // Tags are read after the scan; while songs remain, how many is told at most every 100 ms,
    // so a build that reads them all sooner has nothing to tell.
    const auto tagsFrom = std::chrono::steady_clock::now();
    EXPECT_TRUE(waitUntil([&] {
        readFeed();
        return player.body("/scanstatus").find("\nTAGS_PENDING 0\n") != std::string::npos &&
               feed.find("\nINFO Scanning tags.") == std::string::npos;
    }, 30s, 10ms));
    if (std::chrono::steady_clock::now() - tagsFrom > 500ms) {
        ASSERT_FALSE(remaining.empty());
    }
    EXPECT_TRUE(std::is_sorted(remaining.rbegin(), remaining.rend())) << testing::PrintToString(remaining);
    if (!remaining.empty()) {
        EXPECT_GT(remaining.back(), 0);
        EXPECT_LT(remaining.front(), kSongs);
    }

    // Later scans measure against the stored count, and tell when they find more. A small stored
    // count keeps the walk past it for most of its time, so sampling the feed cannot miss it.
    const size_t stored = total / 10;
    player.body("/setuserpref&name=REPOSITORY_NUM_FILES&value=" + std::to_string(stored));
    ASSERT_TRUE(scanUntilCounted()) << feed;
    const std::regex measured("Scanning: ([0-9]+)%(?: \\+ ([0-9]+) new files found!)?");
    bool foundMore = false;
    for (const std::string& line : progress) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, measured)) << line;
        EXPECT_LE(std::stoi(match[1]), 100) << line;
        if (!match[2].matched) continue;
        foundMore = true;
        EXPECT_EQ(match[1], "100") << line;
        EXPECT_GT(std::stoul(match[2]), 0u) << line;
        EXPECT_LE(std::stoul(match[2]), total - stored) << line;
    }
    EXPECT_TRUE(foundMore) << testing::PrintToString(progress);
    EXPECT_EQ(PlayerInstance::stop(*running), 0);
}
