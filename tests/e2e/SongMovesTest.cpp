#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "support/MakeLibrary.h"
#include "support/PlayerInstance.h"
#include "support/Polling.h"
#include "support/SongFiles.h"

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

constexpr char kRenamedAlbum[] = "Artist 001/Café Nights 001 (1982)";
constexpr char kMovedAlbum[] = "Artist 001/Compilations/Various Years/Альбом 002 (1979)";
constexpr char kRenamedSong[] = "Artist 002/Singles/Early/Greatest Hits 003 (2023)/01 Title 25.mp3";

class SongMoves : public ::testing::Test {
protected:
    std::string music() const { return player_.root() + "music"; }

    // Every listed song by its path below the music folder: its history and what it is.
    std::map<std::string, std::string> songs() const {
        std::map<std::string, std::string> listed;
        for (const std::string& row : PlayerInstance::rowIds(player_.body("/list"))) {
            const std::string id = row.substr(1);
            const std::string info = player_.body("/getsonginfo&id=" + id);
            const auto line = [&](const std::string& key) { return PlayerInstance::feedValue(info, key).value_or(""); };
            listed[line("PATH").substr(music().size() + 1) + "/" + line("FILE")] = player_.body(
                "/getdata&id=" + id +
                "&token=RATE&token=PLAYCOUNT&token=PLAYTIME&token=ADDED&token=TITLE&token=ARTIST&token=TIME");
        }
        return listed;
    }
    std::string idOf(const std::string& path) const {
        for (const std::string& row : PlayerInstance::rowIds(player_.body("/list"))) {
            const std::string info = player_.body("/getsonginfo&id=" + row.substr(1));
            const size_t slash = path.rfind('/');
            if (info.starts_with("FILE " + path.substr(slash + 1) + "\nPATH " + music() + "/" + path.substr(0, slash) +
                                 "\n")) {
                return row;
            }
        }
        return {};
    }
    // Scans and waits for the merge and the tag reading after it.
    bool scanned(int scans) const {
        player_.body("/scan");
        return waitUntil([&] {
            const std::string status = player_.body("/scanstatus");
            return status.starts_with("SCANNING 0\n") && status.find("\nTAGS_PENDING 0\n") != std::string::npos &&
                   status.find("\nSCANS " + std::to_string(scans) + "\n") != std::string::npos;
        }, 20s, 50ms);
    }
    // Played to its end from the last moment, so it is counted.
    bool played(const std::string& path) const {
        const std::string row = idOf(path);
        player_.body("/set&" + row);
        const std::string count = "/getdata&id=" + row.substr(1) + "&token=PLAYCOUNT";
        return waitUntil([&] {
            player_.body("/setposition&990");
            return player_.body(count) == "1\n";
        }, 10s, 100ms);
    }

    PlayerInstance player_;
};

}  // namespace

// A renamed album folder, an album moved to another artist, a renamed file and an untagged
// song moved with its folder keep their ratings, play counts and times added; two identical
// copies that both moved cannot be told apart, and a song retagged as it moved (same size,
// another title) is another song: they start afresh; nothing else changes.
TEST_F(SongMoves, MovedSongsKeepTheirHistoryAndIdenticalCopiesDoNot) {
    ASSERT_TRUE(makeLibrary("--out '" + music() + "' --files 30 --formats mp3,wav"));
    TempFolder::write(music() + "/" + kRenamedAlbum + "/15 untagged.wav", silentWav(1500, 8000, 1));
    const std::string original = music() + "/Artist 002/Singles/Early/Greatest Hits 003 (2023)/02 Title 26.mp3";
    for (const char* copy : {"/Copies A/dup.mp3", "/Copies B/dup.mp3"}) {
        fs::create_directories(fs::path(music() + copy).parent_path());
        fs::copy_file(original, music() + copy);
    }
    const auto titled = [](const std::string& title) {
        return wavFile(8000, 1, riffChunk("LIST", "INFO" + riffChunk("INAM", title + '\0')) +
                                    riffChunk("data", std::string(12000, '\0')));
    };
    TempFolder::write(music() + "/Retagged/song.wav", titled("Blue"));
    auto running = player_.startRunning();
    ASSERT_TRUE(running);
    player_.body("/setuserpref&name=PAGE_MAX_MATCHES&value=300&name=REPOSITORY_PATHS&value=" + music());
    ASSERT_TRUE(scanned(1));
    std::map<std::string, std::string> before = songs();
    ASSERT_EQ(before.size(), 34u);
    int rate = 0;
    for (const auto& [path, history] : before) {
        const std::string rated = std::to_string(++rate % 5 + 1);
        EXPECT_EQ(player_.body("/setrate&id=" + idOf(path).substr(1) + "&value=" + rated), "ok");
    }
    for (const std::string& path : {std::string(kRenamedAlbum) + "/01 Песня 1.mp3",
                                   std::string(kRenamedAlbum) + "/15 untagged.wav",
                                   std::string(kMovedAlbum) + "/02 Rock & Roll 16.mp3", std::string(kRenamedSong),
                                   std::string("Copies A/dup.mp3"), std::string("Copies B/dup.mp3")}) {
        EXPECT_TRUE(played(path)) << path;
    }
    player_.body("/stop");
    before = songs();

    fs::rename(music() + "/" + kRenamedAlbum, music() + "/Artist 001/Café Nights (Remastered)");
    fs::rename(music() + "/" + kMovedAlbum, music() + "/Artist 002/Альбом 002 (1979)");
    fs::rename(music() + "/" + kRenamedSong,
               music() + "/Artist 002/Singles/Early/Greatest Hits 003 (2023)/01 Title Twenty-Five.mp3");
    fs::rename(music() + "/Copies A", music() + "/Copies C");
    fs::rename(music() + "/Copies B/dup.mp3", music() + "/Copies B/dup moved.mp3");
    fs::remove(music() + "/Retagged/song.wav");
    TempFolder::write(music() + "/Retagged/song moved.wav", titled("Bleu"));
    ASSERT_TRUE(scanned(2));

    std::map<std::string, std::string> expected;
    for (const auto& [path, history] : before) {
        std::string moved = path;
        const auto replace = [&moved](const std::string& from, const std::string& to) {
            if (moved.starts_with(from)) moved = to + moved.substr(from.size());
        };
        replace(kRenamedAlbum, "Artist 001/Café Nights (Remastered)");
        replace(kMovedAlbum, "Artist 002/Альбом 002 (1979)");
        replace(kRenamedSong, "Artist 002/Singles/Early/Greatest Hits 003 (2023)/01 Title Twenty-Five.mp3");
        if (path.starts_with("Copies") || path.starts_with("Retagged")) continue;
        expected[moved] = history;
    }
    std::map<std::string, std::string> after = songs();
    for (const std::string afresh : {"Copies C/dup.mp3", "Copies B/dup moved.mp3", "Retagged/song moved.wav"}) {
        ASSERT_TRUE(after.contains(afresh)) << afresh;
        EXPECT_TRUE(after[afresh].starts_with("\n\n\n")) << after[afresh];  // no rating, count or time played
        EXPECT_NE(after[afresh], before["Copies A/dup.mp3"]);
        if (afresh.starts_with("Retagged")) {
            EXPECT_NE(after[afresh].find("\nBleu\n"), std::string::npos) << after[afresh];
        }
        after.erase(afresh);
    }
    EXPECT_EQ(after, expected);
    EXPECT_NE(expected.at("Artist 001/Café Nights (Remastered)/01 Песня 1.mp3").find("\n1\n"), std::string::npos);
    const std::string log = running->output();
    EXPECT_NE(log.find("Moved " + music() + "/" + kRenamedSong + " to " + music() +
                       "/Artist 002/Singles/Early/Greatest Hits 003 (2023)/01 Title Twenty-Five.mp3\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("Removing dup.mp3 from repository.\n"), std::string::npos);
    EXPECT_NE(log.find("Removing song.wav from repository.\n"), std::string::npos);
    EXPECT_EQ(PlayerInstance::stop(*running), 0);
}
