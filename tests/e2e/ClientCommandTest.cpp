#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "support/PlayerInstance.h"
#include "support/Polling.h"
#include "support/SongFiles.h"

using namespace std::chrono_literals;

namespace {

const std::string kJpeg = "\xFF\xD8\xFF jpeg";

class ClientCommands : public ::testing::Test {
protected:
    void SetUp() override {
        music_ = player_.root() + "music";
        for (const char* name : {"Beta/b1.wav", "Beta/b2.wav", "alpha/a1.wav", "alpha/a2.wav", "Gamma/g1.wav"}) {
            TempFolder::write(music_ + "/" + name, silentWav(60000, 8000, 1));
        }
        TempFolder::write(music_ + "/alpha/cover.jpg", kJpeg);
        TempFolder::write(music_ + "/Gamma/folder.jpg", kJpeg);
        running_ = player_.startRunning();
        ASSERT_TRUE(running_);
        songs_ = player_.scanSongs(music_, 5);
        ASSERT_EQ(songs_.size(), 5u);
    }
    void TearDown() override {
        if (running_) {
            EXPECT_EQ(PlayerInstance::stop(*running_), 0);
        }
    }

    std::string queue() const { return player_.body("/listqueue"); }
    std::vector<std::string> queueTitles() const {
        static const std::regex row("<tr id='s[0-9]+'><td>([^<]*)</td>");
        std::vector<std::string> titles;
        const std::string html = queue();
        for (std::sregex_iterator match(html.begin(), html.end(), row), end; match != end; ++match) {
            titles.push_back((*match)[1]);
        }
        return titles;
    }
    std::string feedValue(const std::string& key) const {
        return PlayerInstance::feedValue(player_.body("/fetch"), key).value_or("");
    }

    PlayerInstance player_;
    std::unique_ptr<ChildProcess> running_;
    std::string music_;
    std::vector<std::string> songs_;
};

}  // namespace

// One player's life with a small library and the commands the web client adds: the queue, one
// folder, the albums, own stations, the scan status, and folders in name order (case aside)
// at every start as after the scans that found them.
TEST_F(ClientCommands, FoldersQueueAlbumsStationsAndScanStatus) {
    // Queue moves reorder and keep the playing entry playing.
    player_.body("/queueadd&" + songs_[0] + "&" + songs_[1] + "&" + songs_[2]);
    const std::vector<std::string> before = queueTitles();
    ASSERT_EQ(before.size(), 3u);
    const std::string saved = TempFolder::read(player_.userSettings() + "queue.vmr");

    for (const char* bad : {"/queuemove", "/queuemove&from=0", "/queuemove&from=0&to=3", "/queuemove&from=-1&to=0",
                            "/queuemove&from=x&to=1", "/queuemove&from=1&to=1x", "/queuemove&from=99999999999&to=0"}) {
        EXPECT_EQ(player_.body(bad), "Error") << bad;
    }
    EXPECT_EQ(queueTitles(), before);
    EXPECT_EQ(TempFolder::read(player_.userSettings() + "queue.vmr"), saved);

    EXPECT_EQ(player_.body("/queuemove&from=2&to=0"), "ok");
    EXPECT_EQ(queueTitles(), (std::vector<std::string>{before[2], before[0], before[1]}));
    EXPECT_NE(TempFolder::read(player_.userSettings() + "queue.vmr"), saved);

    // The second entry plays; moving it to the end keeps it playing there, and "play next"
    // (to the index after it) puts an entry right behind it.
    player_.body("/set&s1000000001");
    ASSERT_EQ(feedValue("RESOURCE"), "1000000001");
    EXPECT_EQ(player_.body("/queuemove&from=1&to=2"), "ok");
    EXPECT_EQ(feedValue("RESOURCE"), "1000000002");
    EXPECT_EQ(feedValue("TITLE"), before[0]);
    EXPECT_EQ(feedValue("QUEUE_REMAINING"), "0");
    EXPECT_EQ(player_.body("/queuemove&from=0&to=2"), "ok");
    EXPECT_EQ(feedValue("RESOURCE"), "1000000001");
    EXPECT_EQ(feedValue("QUEUE_REMAINING"), "1");
    player_.body("/next");
    EXPECT_EQ(feedValue("TITLE"), before[2]);

    // One folder's list, and the folders with pictures.
    const std::string albums = player_.body("/listalbums");
    const std::regex line("([0-9]+)\t([0-9]+)\t([^\n]*)\n");
    std::vector<std::string> numbers;
    std::vector<std::string> paths;
    for (std::sregex_iterator match(albums.begin(), albums.end(), line), end; match != end; ++match) {
        EXPECT_EQ((*match)[1], (*match)[2]);
        numbers.push_back((*match)[1]);
        paths.push_back((*match)[3]);
    }
    ASSERT_EQ(paths, (std::vector<std::string>{music_ + "/alpha", music_ + "/Gamma"})) << albums;

    const std::string folder = player_.body("/listfolder&d" + numbers[0]);
    EXPECT_NE(folder.find("<div class='dirhead' id='d" + numbers[0] + "'>"), std::string::npos) << folder;
    EXPECT_EQ(PlayerInstance::rowIds(folder).size(), 2u);
    EXPECT_NE(folder.find(">a1.wav<"), std::string::npos);
    EXPECT_EQ(folder.find(">b1.wav<"), std::string::npos);
    EXPECT_EQ(player_.body("/listfolder&" + numbers[1]), player_.body("/listfolder&d" + numbers[1]));
    for (const char* bad : {"/listfolder", "/listfolder&d", "/listfolder&d999", "/listfolder&dx", "/listfolder&d-1"}) {
        EXPECT_EQ(player_.body(bad), "Error") << bad;
    }

    // Own stations are added, kept apart and removed.
    const std::string radioFile = player_.userSettings() + "radio2.vmr";
    EXPECT_EQ(player_.body("/syncradio"), "ok");  // no list address: nothing to fetch, no error
    EXPECT_EQ(feedValue("ERROR"), "");

    for (const char* bad : {"/radioadd", "/radioadd&name=X", "/radioadd&name=&url=http://127.0.0.1/a.pls",
                            "/radioadd&name=X&url=ftp://127.0.0.1/a", "/radioadd&name=X&url=http://",
                            "/radioadd&name=X&url=http://127.0.0.1/a%20b", "/radioadd&name=a%0Ab&url=http://127.0.0.1/"}) {
        EXPECT_EQ(player_.body(bad), "Error") << bad;
    }
    EXPECT_EQ(PlayerInstance::rowIds(player_.body("/listradio")).size(), 0u);

    const std::string revision = feedValue("RADIO_REVISION");
    EXPECT_EQ(player_.body("/radioadd&name=Jazz%20%26%20Blues&url=http%3A%2F%2F127.0.0.1%3A1%2Flive"), "ok");
    EXPECT_EQ(player_.body("/radioadd&name=Talk&url=http://127.0.0.1:1/talk.m3u"), "ok");
    EXPECT_NE(feedValue("RADIO_REVISION"), revision);
    const std::string list = player_.body("/listradio");
    EXPECT_NE(list.find("&nbsp;Own stations</div>"), std::string::npos) << list;
    EXPECT_NE(list.find(">Jazz &amp; Blues<"), std::string::npos) << list;
    const std::vector<std::string> stations = PlayerInstance::rowIds(list);
    ASSERT_EQ(stations.size(), 2u);
    const std::string stored = TempFolder::read(radioFile);
    EXPECT_NE(stored.find("CHANNELS Own stations\n RADIO Jazz & Blues\n  STREAM http://127.0.0.1:1/live\n"
                          " RADIO Talk\n  PLAYLIST http://127.0.0.1:1/talk.m3u\n"),
              std::string::npos) << stored;

    // Only own stations go, by a whole number.
    for (const char* bad : {"/radioremove", "/radioremove&id=", "/radioremove&id=x", "/radioremove&id=999999"}) {
        EXPECT_EQ(player_.body(bad), "Error") << bad;
    }
    EXPECT_EQ(player_.body("/radioremove&id=" + songs_[0].substr(1)), "Error");
    EXPECT_EQ(TempFolder::read(radioFile), stored);

    EXPECT_EQ(player_.body("/radioremove&id=" + stations[0].substr(1)), "ok");
    EXPECT_EQ(player_.body("/radioremove&id=" + stations[0].substr(1)), "Error");
    EXPECT_EQ(PlayerInstance::rowIds(player_.body("/listradio")), std::vector<std::string>{stations[1]});
    EXPECT_EQ(TempFolder::read(radioFile).find("Jazz"), std::string::npos);

    // The scan status summarises the last scan.
    std::string status;
    waitUntil([&] { return (status = player_.body("/scanstatus")).starts_with("SCANNING 0\n"); }, 10s);
    EXPECT_TRUE(std::regex_match(status, std::regex("SCANNING 0\nFILES [0-9]+\nFOLDERS [0-9]+\nTAGS_PENDING [0-9]+\n"
                                                    "SCANS 1\nLAST 7 5 0\n")))
        << status;
    std::filesystem::remove(music_ + "/Beta/b2.wav");
    TempFolder::write(music_ + "/Gamma/g2.wav", silentWav(60000, 8000, 1));
    TempFolder::write(music_ + "/Gamma/g3.wav", silentWav(60000, 8000, 1));
    player_.body("/scan");
    EXPECT_TRUE(waitUntil([&] {
        status = player_.body("/scanstatus");
        return status.find("SCANS 2\n") != std::string::npos && status.find("SCANNING 0\n") != std::string::npos;
    }, 10s)) << status;
    EXPECT_NE(status.find("\nLAST 8 2 1\n"), std::string::npos) << status;

    // Folders list in name order after the scans, and after a restart.
    const auto order = [this] {
        const std::string page = player_.body("/list");
        return std::vector<size_t>{page.find("/alpha <button"), page.find("/Beta <button"), page.find("/Gamma <button")};
    };
    const auto sorted = [](const std::vector<size_t>& at) {
        return at[0] != std::string::npos && at[0] < at[1] && at[1] < at[2] && at[2] != std::string::npos;
    };
    EXPECT_TRUE(sorted(order())) << player_.body("/list");
    ASSERT_EQ(PlayerInstance::stop(*running_), 0);
    running_ = player_.startRunning();
    ASSERT_TRUE(running_);
    EXPECT_TRUE(waitUntil([&] { return sorted(order()); }, 10s)) << player_.body("/list");
}
