#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>

#include "support/PlayerInstance.h"
#include "support/TestHttpServer.h"

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

const std::string kPng = std::string("\x89PNG\r\n\x1A\n", 8) + "rest of a picture";

std::string body(const PlayerInstance& player, const std::string& path) {
    return PlayerInstance::bodyOf(player.get(path));
}

void answer(TCPSocket& connection, const std::string& text) {
    connection.send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(text.size()) + "\r\n\r\n" + text);
}

// Folder numbers by path, as the folder view lists them once `last` is there.
std::map<std::string, std::string> listedFolders(const PlayerInstance& player, const std::string& last) {
    static const std::regex head("id='d([0-9]+)'><img src='gfx/dir.png'>([^<]*) <button");
    std::map<std::string, std::string> numbers;
    for (int attempt = 0; attempt < 200 && !numbers.contains(last); ++attempt) {
        std::this_thread::sleep_for(50ms);
        const std::string page = body(player, "/list");
        numbers.clear();
        for (std::sregex_iterator match(page.begin(), page.end(), head), end; match != end; ++match) {
            numbers[(*match)[2]] = (*match)[1];
        }
    }
    return numbers;
}

// The song's id once the view lists it; empty when it does not come.
std::string songId(const PlayerInstance& player, const std::string& fileName) {
    const std::regex row("<tr id='s([0-9]+)'><td[^>]*>" + fileName);
    for (int attempt = 0; attempt < 200; ++attempt) {
        const std::string page = body(player, "/list");
        std::smatch match;
        if (std::regex_search(page, match, row)) return match[1].str();
        std::this_thread::sleep_for(50ms);
    }
    return "";
}

class FolderCommands : public ::testing::Test {
protected:
    void SetUp() override {
        music_ = player_.root() + "music";
        TempFolder::write(artist() + "/cover.jpg", "\xFF\xD8\xFF jpeg");
        TempFolder::write(artist() + "/back.png", kPng);
        TempFolder::write(artist() + "/a.mp3", "not really audio");
        TempFolder::write(album() + "/b.mp3", "not really audio");
    }

    void start(const std::string& serverSettings = "") {
        player_.writeServerSettings(serverSettings);
        running_ = player_.start({});
        ASSERT_TRUE(player_.waitUntilRunning());
        ASSERT_TRUE(running_->waitForOutput("Server started.", 10s));
    }
    void TearDown() override {
        if (!running_) return;
        running_->signal(SIGTERM);
        EXPECT_EQ(running_->waitForExit(10s), 0);
    }

    std::string artist() const { return music_ + "/Artist"; }
    std::string album() const { return artist() + "/Album"; }

    PlayerInstance player_;
    std::string music_;
    std::unique_ptr<ChildProcess> running_;
};

}  // namespace

TEST_F(FolderCommands, PicturesComeFromTheFolderOrItsParentAndFoldersFoldInAndOut) {
    start();
    body(player_, "/setuserpref&name=REPOSITORY_PATHS&value=" + music_);
    body(player_, "/scan");
    auto folders = listedFolders(player_, album());
    ASSERT_TRUE(folders.contains(album())) << body(player_, "/list");
    const std::string artistNumber = folders[artist()];
    const std::string albumNumber = folders[album()];

    const std::string parentPictures = "<img src='img&id=" + artistNumber + "&nr=0' class='art'><img src='img&id=" +
                                       artistNumber + "&nr=1' class='art'>";
    EXPECT_EQ(body(player_, "/artwork&d" + albumNumber), parentPictures);
    EXPECT_EQ(body(player_, "/artwork&d" + artistNumber), parentPictures);
    EXPECT_EQ(body(player_, "/artwork"), "ok");
    EXPECT_EQ(body(player_, "/artwork&d999"), "ok");

    // The cover is the first picture; only listed pictures are served.
    EXPECT_EQ(body(player_, "/img&id=" + artistNumber + "&nr=0"), "\xFF\xD8\xFF jpeg");
    EXPECT_EQ(body(player_, "/img&id=" + artistNumber + "&nr=1"), kPng);
    EXPECT_EQ(body(player_, "/img&id=" + artistNumber + "&nr=2"), "ok");
    EXPECT_EQ(body(player_, "/img&id=" + albumNumber + "&nr=0"), "ok");

    EXPECT_EQ(body(player_, "/dir&d" + albumNumber), "ok");
    EXPECT_NE(body(player_, "/getinfo_db").find("LIST = Album<BLOCKQUOTE><DIV>OPEN = 0</DIV>"), std::string::npos);
    EXPECT_EQ(body(player_, "/dir&d" + albumNumber), "ok");
    EXPECT_NE(body(player_, "/getinfo_db").find("LIST = Album<BLOCKQUOTE><DIV>OPEN = 1</DIV>"), std::string::npos);
}

TEST_F(FolderCommands, SavedArtLandsBesideTheSongOnlyAsANewPictureOfItsKind) {
    TestHttpServer web([](TCPSocket& connection, const std::string& request) {
        answer(connection, request.starts_with("GET /pic.png") ? kPng : "<html>not a picture</html>");
    });
    start();
    EXPECT_EQ(body(player_, "/saveart&image=" + web.url("/pic.png")), "Error");  // nothing plays

    body(player_, "/setuserpref&name=REPOSITORY_PATHS&value=" + music_);
    body(player_, "/scan");
    ASSERT_TRUE(listedFolders(player_, album()).contains(album()));
    const std::string song = songId(player_, "b.mp3");
    ASSERT_FALSE(song.empty());
    body(player_, "/set&s" + song);

    EXPECT_EQ(body(player_, "/saveart&image=" + web.url("/pic.png")), "Saved");
    EXPECT_EQ(TempFolder::read(album() + "/pic.png"), kPng);
    EXPECT_NE(body(player_, "/fetch").find("INFO Image saved to " + album() + "\n"), std::string::npos);

    TempFolder::write(album() + "/pic.png", "mine");
    EXPECT_EQ(body(player_, "/saveart&image=" + web.url("/pic.png")), "Error");
    EXPECT_EQ(TempFolder::read(album() + "/pic.png"), "mine");

    EXPECT_EQ(body(player_, "/saveart&image=" + web.url("/fake.png")), "Error");
    EXPECT_FALSE(fs::exists(album() + "/fake.png"));
    EXPECT_EQ(body(player_, "/saveart&image=" + web.url("/..png")), "Error");

    const size_t fetched = web.requests().size();
    EXPECT_EQ(body(player_, "/saveart&image=" + web.url("/page.html")), "Error");
    EXPECT_EQ(web.requests().size(), fetched);
}

TEST_F(FolderCommands, TheRadioListIsFetchedOnceADay) {
    TestHttpServer radioServer([](TCPSocket& connection, const std::string&) {
        answer(connection, "CHANNELS Jazz\n RADIO Smooth\n  PLAYLIST http://127.0.0.1:1/s.pls\n");
    });
    start("RADIO_LIST_URL=" + radioServer.url("/radio/radio.vmr") + "\n");
    const auto waitForFetches = [&](size_t count) {
        for (int attempt = 0; attempt < 100 && radioServer.requests().size() < count; ++attempt) {
            std::this_thread::sleep_for(50ms);
        }
        body(player_, "/test");  // the synchronisation, if one was sent, has run before this
        return radioServer.requests().size();
    };

    EXPECT_NE(body(player_, "/listradio").find("No channels loaded"), std::string::npos);
    EXPECT_EQ(waitForFetches(1), 1u);
    EXPECT_NE(body(player_, "/listradio").find("Smooth"), std::string::npos);
    EXPECT_EQ(waitForFetches(1), 1u);

    body(player_, "/setuserpref&name=RADIO_SYNCED_DATE&value=0-0");
    body(player_, "/listradio");
    EXPECT_EQ(waitForFetches(2), 2u);
}

TEST_F(FolderCommands, TheFeedShowsFolderNamesInUtf8WhateverTheirBytes) {
    const std::string utf8Folder = music_ + "/歌手 Été";
    const std::string latin1Folder = music_ + "/\xC9t\xE9";
    TempFolder::write(utf8Folder + "/c.mp3", "not really audio");
    TempFolder::write(latin1Folder + "/d.mp3", "not really audio");
    start();
    body(player_, "/setuserpref&name=REPOSITORY_PATHS&value=" + music_);
    body(player_, "/scan");

    body(player_, "/set&s" + songId(player_, "c.mp3"));
    EXPECT_NE(body(player_, "/fetch").find("PATH " + utf8Folder + "\n"), std::string::npos);
    body(player_, "/set&s" + songId(player_, "d.mp3"));
    EXPECT_NE(body(player_, "/fetch").find("PATH " + music_ + "/Été\n"), std::string::npos);
}
