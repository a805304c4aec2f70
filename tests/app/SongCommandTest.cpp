#include <gtest/gtest.h>

#include <ctime>

#include "support/PlayerInstance.h"
#include "support/SongFiles.h"

namespace {

// The stored seconds as the C library writes a UTC time, with its own line feed.
std::string asUtcTime(const std::string& seconds) {
    const time_t time = std::stol(seconds);
    tm parts{};
    gmtime_r(&time, &parts);
    char text[32];
    return asctime_r(&parts, text);
}

}  // namespace

TEST(SongCommands, SongFieldsRatingsAndInfoPages) {
    PlayerInstance player;
    const std::string music = player.root() + "music";
    TempFolder::write(music + "/untagged.mp3", "not really a song");
    ASSERT_TRUE(encodeTone(music + "/tagged.mp3", 1,
                              "-b:a 64k -id3v2_version 3 -metadata title='Blue Train' -metadata artist=Coltrane "
                              "-metadata album=Blue -metadata genre=Jazz -metadata date=1957 -metadata track=1"));
    auto running = player.startRunning();
    ASSERT_TRUE(running);
    ASSERT_EQ(player.scanSongs(music, 2).size(), 2u);
    const auto info = [&](const std::string& row) { return player.body("/getsonginfo&id=" + row.substr(1)); };
    const auto idOf = [&](const std::string& file) {
        for (const std::string& row : PlayerInstance::rowIds(player.body("/list"))) {
            if (info(row).starts_with("FILE " + file + "\n")) return row;
        }
        return std::string();
    };
    const auto added = [&](const std::string& row) {
        return asUtcTime(player.body("/getdata&id=" + row.substr(1) + "&token=ADDED"));
    };
    const std::string tagged = idOf("tagged.mp3");
    const std::string untagged = idOf("untagged.mp3");

    EXPECT_EQ(info(untagged), "FILE untagged.mp3\nPATH " + music + "\nTITLE -\nARTIST -\nALBUM -\nGENRE -\nRATE -\n"
                              "YEAR -\nTRACK -\nPLAYCOUNT -\nADDED " + added(untagged) + "\n");
    ASSERT_TRUE(waitUntil([&] { return info(tagged).find("TITLE -") == std::string::npos; })) << info(tagged);
    EXPECT_EQ(player.body("/setrate&id=" + tagged.substr(1) + "&value=4"), "ok");
    EXPECT_EQ(info(tagged), "FILE tagged.mp3\nPATH " + music + "\nTITLE Blue Train\nARTIST Coltrane\nALBUM Blue\n"
                            "GENRE Jazz\nRATE 4\nYEAR 1957\nTRACK 1\nPLAYCOUNT -\nADDED " + added(tagged) + "\n");
    EXPECT_EQ(player.body("/getsonginfo&id=999999"), "ok");
    EXPECT_EQ(player.body("/getdata&id=" + untagged.substr(1) + "&token=TITLE&token=RATE&token=ADDED").find("\n\n"),
              0u);

    EXPECT_EQ(player.body("/print_title"), "");
    EXPECT_EQ(player.body("/fetcheq").rfind("<EQ><CENTER>", 0), 0u);
    const std::string page = player.body("/getinfo");
    EXPECT_EQ(page.rfind("VelmorantPlayer version: 1.00 Beta 1<br>Audio engine: FFmpeg", 0), 0u) << page;
    EXPECT_NE(page.find("Uptime: 0 min "), std::string::npos) << page;
    EXPECT_NE(page.find("Requests count: "), std::string::npos) << page;
    ASSERT_EQ(PlayerInstance::stop(*running), 0);

    // The rating survives a restart.
    running = player.startRunning();
    ASSERT_TRUE(running);
    EXPECT_EQ(player.body("/getdata&id=" + idOf("tagged.mp3").substr(1) + "&token=RATE"), "4\n");
    EXPECT_EQ(PlayerInstance::stop(*running), 0);
}
