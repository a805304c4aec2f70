#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "support/CoverPicture.h"
#include "support/PlayerInstance.h"
#include "support/Polling.h"
#include "support/SongFiles.h"

using namespace std::chrono_literals;

// Songs of the newer formats, each in a folder of its own without a picture file: each is
// listed with its tags and length, plays to its end through the null output, and a cover
// inside the song is what the folder shows. The library summary counts them. (ffmpeg
// writes no Monkey's Audio or DSF.)
TEST(Formats, NewerFormatsAreListedTaggedPlayedAndShowTheirCover) {
    PlayerInstance player;
    const std::string music = player.root() + "music";
    const std::string png = player.root() + "cover.png";
    ASSERT_TRUE(makeCoverPng(png));
    const std::string tags = " -metadata title=Blue -metadata artist=Coltrane -metadata album=Train -metadata track=3 "
                             "-metadata date=1957 -metadata genre=Jazz";
    // Format, whether the cover goes in as an attached picture, as a Vorbis comment, or not at all.
    enum Cover { kAttached, kComment, kNone };
    const std::vector<std::tuple<std::string, Cover, std::string>> formats = {
        {"m4a", kAttached, "-c:a aac"},          {"m4b", kAttached, "-c:a aac -f ipod"},
        {"alac", kAttached, "-c:a alac -f ipod"}, {"aif", kAttached, "-write_id3v2 1"},
        {"opus", kComment, "-c:a libopus -ar 48000"}, {"oga", kComment, "-c:a libvorbis -f oga"},
        {"wv", kNone, "-f wv"},                  {"mka", kNone, ""},
        {"webm", kNone, "-c:a libopus -ar 48000"},
    };
    for (const auto& [format, cover, options] : formats) {
        const std::string path = music + "/" + format + "/song." + format;
        TempFolder::write(path, "");
        const std::string comment = cover == kComment ? vorbisCommentCover(png) + " " : "";
        ASSERT_TRUE(encodeToneWithCover(path, cover == kAttached ? png : "", comment + options + tags)) << format;
    }
    auto running = player.startRunning();
    ASSERT_TRUE(running);
    const std::vector<std::string> rows = player.scanSongs(music, formats.size());
    ASSERT_EQ(rows.size(), formats.size());
    // Counted before its tags are read, then as untagged, and as one more without a picture.
    TempFolder::write(music + "/wv/plain.WAV", silentWav(500, 8000, 1));
    ASSERT_TRUE(waitUntil([&] { return player.body("/scanstatus").find("\nTAGS_PENDING 0\n") != std::string::npos; },
                          10s, 50ms));

    std::set<std::string> listed;
    for (const std::string& row : rows) {
        const std::string id = row.substr(1);
        const std::string info = player.body("/getsonginfo&id=" + id);
        listed.insert(info.substr(0, info.find('\n')));
        EXPECT_NE(info.find("\nTITLE Blue\nARTIST Coltrane\nALBUM Train\n"), std::string::npos) << info;
        for (const std::string line : {"\nTRACK 3\n", "\nYEAR 1957\n", "\nGENRE Jazz\n"}) {
            EXPECT_NE(info.find(line), std::string::npos) << line << info;
        }
        EXPECT_EQ(player.body("/getdata&id=" + id + "&token=TIME"), "00:01\n") << info;
    }
    EXPECT_EQ(listed.size(), formats.size());

    // Played one after the other from the first: each is counted at its end.
    player.body("/set&" + rows.front());
    const auto allPlayed = [&] {
        for (const std::string& row : rows) {
            if (player.body("/getdata&id=" + row.substr(1) + "&token=PLAYCOUNT") != "1\n") return false;
        }
        return true;
    };
    EXPECT_TRUE(waitUntil(allPlayed, 30s, 200ms)) << running->output();
    player.body("/stop");

    static const std::regex picture("img&id=([0-9]+)&nr=0");
    const std::string page = player.body("/list");
    std::set<std::string> folders;
    for (std::sregex_iterator match(page.begin(), page.end(), picture), end; match != end; ++match) {
        folders.insert((*match)[1]);
    }
    EXPECT_EQ(folders.size(), 6u) << page;
    for (const std::string& folder : folders) {
        const std::string answer = player.get("/img&id=" + folder + "&nr=0");
        EXPECT_NE(answer.find("\r\nContent-Type: image/png\r\n"), std::string::npos) << answer.substr(0, 300);
        EXPECT_EQ(PlayerInstance::bodyOf(answer), TempFolder::read(png));
        EXPECT_EQ(player.body("/img&id=" + folder + "&nr=1"), "ok");
    }

    player.body("/scan");
    ASSERT_TRUE(waitUntil([&] {
        const std::string status = player.body("/scanstatus");
        return status.find("\nSCANS 2\n") != std::string::npos &&
               status.find("\nTAGS_PENDING 0\n") != std::string::npos;
    }, 10s, 50ms));
    const std::string summary = player.body("/getinfo_library");
    const std::vector<std::string> lines = {
        "<tr><td>Songs</td><td>10</td></tr>", "<tr><td>Songs without tags</td><td>1</td></tr>",
        "<tr><td>Songs whose tags are not read yet</td><td>0</td></tr>",
        "<tr><td>Songs without a picture</td><td>4</td></tr>", "<tr><td>m4a</td><td>1</td></tr>",
        "<tr><td>wav</td><td>1</td></tr>",
        "<H2>Largest folders</H2><table><tr><td>" + music + "/wv</td><td>2</td></tr>"};
    for (const std::string& line : lines) {
        EXPECT_NE(summary.find(line), std::string::npos) << line << "\n" << summary;
    }
    EXPECT_EQ(PlayerInstance::stop(*running), 0);
}
