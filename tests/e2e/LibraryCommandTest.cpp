#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

#include "support/MakeLibrary.h"
#include "support/PlayerInstance.h"
#include "support/SongFiles.h"
#include "text/Str.h"

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// The stored seconds as the C library writes a UTC time, with its own line feed.
std::string asUtcTime(const std::string& seconds) {
    const time_t time = std::stol(seconds);
    tm parts{};
    gmtime_r(&time, &parts);
    char text[32];
    return asctime_r(&parts, text);
}

std::string encoded(const std::string& text) {
    Str out(text);
    out.percentEncode();
    return out.str();
}

// The folders a scan lists: the root and every folder below it but hidden ones.
size_t foldersBelow(const std::string& root) {
    size_t count = 1;
    for (auto entry = fs::recursive_directory_iterator(root); entry != fs::recursive_directory_iterator(); ++entry) {
        if (!entry->is_directory()) continue;
        if (entry->path().filename().string().starts_with('.')) {
            entry.disable_recursion_pending();
        } else {
            ++count;
        }
    }
    return count;
}

}  // namespace

// One player's life with a small library: the lists arrive as fragments with stored text
// escaped, filters are edited, selected and searched, songs show their fields and take a
// rating, the info pages answer, and settings, rating and filters outlive a restart.
TEST(LibraryCommands, SongsAreListedFilteredRatedAndKeptAcrossARestart) {
    PlayerInstance player;
    const std::string music = player.root() + "music";
    for (const char* name : {"quiet storm.mp3", "loud.mp3", "louder.mp3", "<b>shout.mp3"}) {
        TempFolder::write(music + "/" + name, "not really a song");
    }
    ASSERT_TRUE(encodeTone(music + "/tagged.mp3", 1,
                           "-b:a 64k -id3v2_version 3 -metadata title='Blue Train' -metadata artist=Coltrane "
                           "-metadata album=Blue -metadata genre=Jazz -metadata date=1957 -metadata track=1"));
    auto running = player.startRunning();
    ASSERT_TRUE(running);
    EXPECT_EQ(player.body("/getuserpref&SHOW_FIRST_RUN_DIALOG"), "1");
    EXPECT_EQ(player.body("/setuserpref&name=SHOW_FIRST_RUN_DIALOG&value=0&name=PAGE_MAX_MATCHES&value=300"), "ok");
    EXPECT_EQ(player.body("/getuserpref&PAGE_MAX_MATCHES"), "300");
    ASSERT_EQ(player.scanSongs(music, 5).size(), 5u);

    const std::string list = player.body("/list");
    EXPECT_EQ(list.rfind("<div class='pagefield'>Page <span id='currpage'>1</span> of 1 </div>", 0), 0u) << list;
    EXPECT_NE(list.find("&lt;b&gt;shout.mp3"), std::string::npos) << list;
    EXPECT_EQ(list.find("<b>shout"), std::string::npos);
    EXPECT_NE(list.find("<div id='footer'>5 matches. Processed in "), std::string::npos) << list;
    EXPECT_NE(player.body("/listfilter").find("<input type='text' value='$rate == 5'>"), std::string::npos);
    EXPECT_EQ(player.body("/listqueue").rfind("<table><col width='*'><col width='79'><col width='90'>\n</table>", 0), 0u);
    EXPECT_NE(player.body("/listradio").find("No channels loaded."), std::string::npos);
    EXPECT_NE(player.body("/getinfo_db").find("<H1>Library</H1>"), std::string::npos);
    EXPECT_NE(player.body("/listcovers").find("<p>Number of images: 0</p>"), std::string::npos);

    EXPECT_EQ(player.body("/listfilterselect"), "Filter off;Rate 5");
    EXPECT_EQ(player.body("/newfilter"), "ok");
    EXPECT_EQ(player.body("/listfilterselect"), "Filter off;Rate 5;Unnamed");
    EXPECT_EQ(player.body("/setfilterdata&name=Loud%20%26%20louder&value=%24file%20%3D%3D%20%22loud*%22&index=1"), "ok");
    EXPECT_EQ(player.body("/listfilterselect"), "Filter off;Rate 5;Loud & louder");
    EXPECT_EQ(player.body("/setfilter&2"), "ok");
    EXPECT_EQ(player.body("/getuserpref&FILTER"), "2");
    EXPECT_NE(player.body("/fetch").find("\nINFO Found 2 songs.\n"), std::string::npos);
    EXPECT_EQ(player.body("/setfilter&0"), "ok");
    EXPECT_EQ(player.body("/search&quiet"), "ok");
    EXPECT_EQ(player.body("/getuserpref&SEARCH"), "quiet");
    EXPECT_NE(player.body("/fetch").find("\nINFO Found 1 songs.\n"), std::string::npos);
    EXPECT_EQ(player.body("/search"), "ok");
    EXPECT_EQ(player.body("/removefilter&index=1"), "ok");
    EXPECT_EQ(player.body("/listfilterselect"), "Filter off;Rate 5");

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
    const std::string untagged = idOf("quiet storm.mp3");
    EXPECT_EQ(info(untagged), "FILE quiet storm.mp3\nPATH " + music + "\nTITLE -\nARTIST -\nALBUM -\nGENRE -\n"
                              "RATE -\nYEAR -\nTRACK -\nPLAYCOUNT -\nADDED " + added(untagged) + "\n");
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
    ASSERT_EQ(PlayerInstance::stop(*running), 0);

    running = player.startRunning();
    ASSERT_TRUE(running);
    EXPECT_EQ(player.body("/getuserpref&SHOW_FIRST_RUN_DIALOG"), "0");
    EXPECT_EQ(player.body("/getuserpref&PAGE_MAX_MATCHES"), "300");
    EXPECT_EQ(player.body("/listfilterselect"), "Filter off;Rate 5");
    EXPECT_EQ(player.body("/getdata&id=" + idOf("tagged.mp3").substr(1) + "&token=RATE"), "4\n");
    EXPECT_EQ(PlayerInstance::stop(*running), 0);
}

// A generated library with pictures, odd names and hidden folders: the scan stores one list
// a folder. (The tags read are checked against the generator's manifest in the tag reading
// test, and as the web client lists them in the browser test.)
TEST(LibraryCommands, AGeneratedLibraryIsStoredFolderByFolder) {
    PlayerInstance player;
    const std::string music = player.root() + "music";
    ASSERT_TRUE(makeLibrary("--out '" + music + "' --files 40 --images"));
    auto running = player.startRunning();
    ASSERT_TRUE(running);
    EXPECT_EQ(player.body("/setuserpref&name=REPOSITORY_PATHS&value=" + encoded(music)), "ok");
    EXPECT_EQ(player.body("/scan"), "ok");

    const std::string lists = "Num files in clusters: " + std::to_string(foldersBelow(music)) + "<br>";
    EXPECT_TRUE(waitUntil([&] { return player.body("/getinfo_fs").find(lists) != std::string::npos; }, 30s, 100ms))
        << player.body("/getinfo_fs");
    EXPECT_TRUE(running->waitForOutput("New directory found", 1s));

    EXPECT_EQ(PlayerInstance::stop(*running), 0);
}
