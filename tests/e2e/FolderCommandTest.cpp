#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>

#include "support/PlayerInstance.h"
#include "support/Polling.h"
#include "support/SongFiles.h"
#include "support/TestHttpServer.h"

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

const std::string kPng = std::string("\x89PNG\r\n\x1A\n", 8) + "rest of a picture";

// Folder numbers by path, as the folder view lists them once `last` is there.
std::map<std::string, std::string> listedFolders(const PlayerInstance& player, const std::string& last) {
    static const std::regex head("id='d([0-9]+)'><img src='gfx/dir.png'>([^<]*) <button");
    std::map<std::string, std::string> numbers;
    waitUntil([&] {
        const std::string page = player.body("/list");
        numbers.clear();
        for (std::sregex_iterator match(page.begin(), page.end(), head), end; match != end; ++match) {
            numbers[(*match)[2]] = (*match)[1];
        }
        return numbers.contains(last);
    }, 10s, 50ms);
    return numbers;
}

// The song's row id ("s12") once the view lists it; empty when it does not come.
std::string songId(const PlayerInstance& player, const std::string& fileName) {
    const std::regex row("<tr id='(s[0-9]+)'><td[^>]*>" + fileName);
    std::smatch match;
    std::string page;
    waitUntil([&] { return std::regex_search(page = player.body("/list"), match, row); }, 10s, 50ms);
    return match.empty() ? "" : match[1].str();
}

class FolderCommands : public ::testing::Test {
protected:
    // Real songs: one that failed to open would make the player move on by itself.
    void SetUp() override {
        music_ = player_.root() + "music";
        TempFolder::write(artist() + "/cover.jpg", "\xFF\xD8\xFF jpeg");
        TempFolder::write(artist() + "/back.png", kPng);
        TempFolder::write(artist() + "/a.wav", silentWav(60000, 8000, 1));
        TempFolder::write(album() + "/b.wav", silentWav(60000, 8000, 1));
    }

    void start(const std::string& serverSettings = "") {
        player_.writeServerSettings(serverSettings);
        running_ = player_.startRunning();
        ASSERT_TRUE(running_);
    }
    void scan() {
        player_.body("/setuserpref&name=REPOSITORY_PATHS&value=" + music_);
        player_.body("/scan");
    }
    void TearDown() override {
        if (running_) {
            EXPECT_EQ(PlayerInstance::stop(*running_), 0);
        }
    }

    std::string artist() const { return music_ + "/Artist"; }
    std::string album() const { return artist() + "/Album"; }

    PlayerInstance player_;
    std::string music_;
    std::unique_ptr<ChildProcess> running_;
};

}  // namespace

// One player's life with a small tree: pictures come from the folder or its parent, a folder
// rescans alone and folds in and out, the feed names folders in UTF-8 whatever their bytes,
// saved art lands beside the song only as a new picture of its kind, and "open folder" hands
// the song's folder to the desktop.
TEST_F(FolderCommands, PicturesArtAndFolderCommandsWorkOnTheTree) {
    TestHttpServer web([](TCPSocket& connection, const std::string& request) {
        respond(connection, request.starts_with("GET /pic.png") ? kPng : "<html>not a picture</html>");
    });
    const std::string utf8Folder = music_ + "/歌手 Été";
    const std::string latin1Folder = music_ + "/\xC9t\xE9";
    TempFolder::write(utf8Folder + "/c.wav", silentWav(60000, 8000, 1));
    TempFolder::write(latin1Folder + "/d.wav", silentWav(60000, 8000, 1));
    player_.fakeDesktopOpener();
    start();
    EXPECT_EQ(player_.body("/saveart&image=" + web.url("/pic.png")), "Error");  // nothing plays

    scan();
    auto folders = listedFolders(player_, album());
    ASSERT_TRUE(folders.contains(album())) << player_.body("/list");
    const std::string artistNumber = folders[artist()];
    const std::string albumNumber = folders[album()];
    const std::string parentPictures = "<img src='img&id=" + artistNumber + "&nr=0' class='art'><img src='img&id=" +
                                       artistNumber + "&nr=1' class='art'>";
    EXPECT_EQ(player_.body("/artwork&d" + albumNumber), parentPictures);
    EXPECT_EQ(player_.body("/artwork&d" + artistNumber), parentPictures);
    EXPECT_EQ(player_.body("/artwork"), "ok");
    EXPECT_EQ(player_.body("/artwork&d999"), "ok");
    // The cover is the first picture; only listed pictures are served.
    EXPECT_EQ(player_.body("/img&id=" + artistNumber + "&nr=0"), "\xFF\xD8\xFF jpeg");
    EXPECT_EQ(player_.body("/img&id=" + artistNumber + "&nr=1"), kPng);
    // Pictures are typed without a charset, kept a day, and not sent again to a browser that has them.
    const std::string png = player_.get("/img&id=" + artistNumber + "&nr=1");
    EXPECT_NE(png.find("\r\nContent-Type: image/png\r\n"), std::string::npos) << png;
    EXPECT_NE(png.find("\r\nCache-Control: max-age=86400\r\n"), std::string::npos);
    const size_t tag = png.find("ETag: ");
    ASSERT_NE(tag, std::string::npos);
    const std::string etag = png.substr(tag + 6, png.find('\r', tag) - tag - 6);
    EXPECT_EQ(player_.send("GET /img&id=" + artistNumber + "&nr=1 HTTP/1.1\r\nHost: 127.0.0.1\r\nIf-None-Match: " +
                           etag + "\r\n\r\n")
                  .substr(0, 27),
              "HTTP/1.0 304 Not Modified\r\n");
    EXPECT_EQ(player_.body("/img&id=" + artistNumber + "&nr=2"), "ok");
    EXPECT_EQ(player_.body("/img&id=" + albumNumber + "&nr=0"), "ok");

    // A folder number asks for that folder alone.
    TempFolder::write(album() + "/new.wav", silentWav(1000, 8000, 1));
    TempFolder::write(artist() + "/other.wav", silentWav(1000, 8000, 1));
    EXPECT_EQ(player_.body("/scan&" + albumNumber), "ok");
    EXPECT_FALSE(songId(player_, "new.wav").empty());
    EXPECT_EQ(player_.body("/list").find("other.wav"), std::string::npos);
    EXPECT_EQ(player_.body("/dir&d" + albumNumber), "ok");
    EXPECT_NE(player_.body("/getinfo_db").find("LIST = Album<BLOCKQUOTE><DIV>OPEN = 0</DIV>"), std::string::npos);
    EXPECT_EQ(player_.body("/dir&d" + albumNumber), "ok");
    EXPECT_NE(player_.body("/getinfo_db").find("LIST = Album<BLOCKQUOTE><DIV>OPEN = 1</DIV>"), std::string::npos);

    player_.body("/set&" + songId(player_, "c.wav"));
    EXPECT_NE(player_.body("/fetch").find("PATH " + utf8Folder + "\n"), std::string::npos);
    player_.body("/set&" + songId(player_, "d.wav"));
    EXPECT_NE(player_.body("/fetch").find("PATH " + music_ + "/Été\n"), std::string::npos);

    const std::string song = songId(player_, "b.wav");
    ASSERT_FALSE(song.empty());
    player_.body("/set&" + song);
    EXPECT_EQ(player_.body("/saveart&image=" + web.url("/pic.png")), "Saved");
    EXPECT_EQ(TempFolder::read(album() + "/pic.png"), kPng);
    EXPECT_NE(player_.body("/fetch").find("INFO Image saved to " + album() + "\n"), std::string::npos);
    TempFolder::write(album() + "/pic.png", "mine");
    EXPECT_EQ(player_.body("/saveart&image=" + web.url("/pic.png")), "Error");
    EXPECT_EQ(TempFolder::read(album() + "/pic.png"), "mine");
    EXPECT_EQ(player_.body("/saveart&image=" + web.url("/fake.png")), "Error");
    EXPECT_FALSE(fs::exists(album() + "/fake.png"));
    EXPECT_EQ(player_.body("/saveart&image=" + web.url("/..png")), "Error");
    const size_t fetched = web.requests().size();
    EXPECT_EQ(player_.body("/saveart&image=" + web.url("/page.html")), "Error");
    EXPECT_EQ(web.requests().size(), fetched);

    EXPECT_EQ(player_.body("/songaction&id=" + song.substr(1) + "&action=play"), "ok");
    EXPECT_EQ(player_.body("/songaction&id=" + song.substr(1) + "&action=openfolder"), "ok");
    EXPECT_EQ(player_.opened(), album() + "\n");
}

// The radio list comes from the configured server once a day or when asked, and the cover
// search asks the configured host.
TEST_F(FolderCommands, TheRadioListIsFetchedOnceADayAndCoversAreSearchedWhereConfigured) {
    TestHttpServer services([](TCPSocket& connection, const std::string& request) {
        if (request.find("/radio/radio.vmr") != std::string::npos) {
            respond(connection, "CHANNELS Jazz\n RADIO Smooth\n  PLAYLIST http://127.0.0.1:1/s.pls\n  ADDED 253402300800\n");
        } else {
            respond(connection, "<covers/>");
        }
    });
    start("RADIO_LIST_URL=" + services.url("/radio/radio.vmr") + "\nCOVER_SEARCH_HOST=127.0.0.1:" +
          std::to_string(services.port()) + "\n");
    const auto fetchesOf = [&](std::string_view path) {
        size_t count = 0;
        for (const std::string& request : services.requests()) count += request.find(path) != std::string::npos;
        return count;
    };
    const auto waitForFetches = [&](size_t count) {
        waitUntil([&] { return fetchesOf("/radio/radio.vmr") >= count; }, 5s, 50ms);
        player_.body("/test");  // the synchronisation, if one was sent, has run before this
        return fetchesOf("/radio/radio.vmr");
    };

    EXPECT_NE(player_.body("/listradio").find("No channels loaded"), std::string::npos);
    EXPECT_EQ(waitForFetches(1), 1u);
    const std::string stations = player_.body("/listradio");
    EXPECT_NE(stations.find("Smooth"), std::string::npos);
    EXPECT_EQ(waitForFetches(1), 1u);
    // A time past the year 9999 gives no ADDED line rather than a crash.
    const std::vector<std::string> rows = PlayerInstance::rowIds(stations);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(player_.body("/getsonginfo&id=" + rows[0].substr(1)).find("ADDED"), std::string::npos);
    EXPECT_EQ(player_.body("/test"), "ok");

    player_.body("/setuserpref&name=RADIO_SYNCED_DATE&value=0-0");
    player_.body("/listradio");
    EXPECT_EQ(waitForFetches(2), 2u);
    // The request that asked for the refresh has gone before its answer is done with.
    EXPECT_EQ(running_->output().find("not connected"), std::string::npos) << running_->output();
    EXPECT_EQ(player_.body("/syncradio"), "ok");
    EXPECT_EQ(fetchesOf("/radio/radio.vmr"), 3u);
    EXPECT_NE(TempFolder::read(player_.userSettings() + "radio2.vmr").find(" RADIO Smooth\n"), std::string::npos);

    EXPECT_EQ(player_.body("/findimg&album=Blue%20Train&artist=Coltrane"), std::string("<covers/>\0", 10));
    EXPECT_EQ(fetchesOf("/onca/xml"), 1u);
}
