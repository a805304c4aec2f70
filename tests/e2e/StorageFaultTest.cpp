#include <gtest/gtest.h>

#include <signal.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "support/PlayerInstance.h"
#include "support/Polling.h"
#include "support/SongFiles.h"

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

size_t occurrences(const std::string& text, const std::string& piece) {
    size_t count = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++count;
    return count;
}

// Every file of the folder (not below it) by name, with its bytes.
std::map<std::string, std::string> folderContents(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file()) files[entry.path().filename()] = TempFolder::read(entry.path());
    }
    return files;
}

class StorageFaults : public ::testing::Test {
protected:
    void TearDown() override {
        if (running_) PlayerInstance::stop(*running_);
        running_.reset();
        if (!mounted_.empty()) std::system(("umount -l '" + mounted_ + "'").c_str());
    }

    void start() {
        running_ = player_.startRunning();
        ASSERT_TRUE(running_);
    }
    // The hardest stop: no flush, no orderly shutdown.
    void kill() {
        running_->signal(SIGKILL);
        ASSERT_TRUE(running_->waitForExit(10s));
    }
    std::string music() const { return player_.root() + "music"; }
    std::string settings() const { return player_.userSettings(); }
    // The song's info lines ("RATE 5") by row id ("s12").
    std::string songInfo(const std::string& rowId) const { return player_.body("/getsonginfo&id=" + rowId.substr(1)); }
    std::string onlySongId() const {
        std::vector<std::string> ids;
        waitUntil([&] { return (ids = PlayerInstance::rowIds(player_.body("/list"))).size() == 1; }, 20s, 50ms);
        return ids.empty() ? "" : ids.front();
    }
    bool mountSmallDisk(const std::string& folder) {
        fs::create_directories(folder);
        if (std::system(("mount -t tmpfs -o size=1m tmpfs '" + folder + "' 2>/dev/null").c_str()) != 0) return false;
        mounted_ = folder;
        return true;
    }

    PlayerInstance player_;
    std::unique_ptr<ChildProcess> running_;
    std::string mounted_;
};

}  // namespace

TEST_F(StorageFaults, ARatingSetASecondBeforeAKillIsKeptAndEmptyFoldersStayListed) {
    TempFolder::write(music() + "/a.wav", silentWav(60000, 8000, 1));
    fs::create_directories(music() + "/Unsorted");
    start();
    const std::vector<std::string> ids = player_.scanSongs(music(), 1);
    ASSERT_EQ(ids.size(), 1u);
    EXPECT_EQ(player_.body("/setrate&id=" + ids[0].substr(1) + "&value=5"), "ok");
    std::this_thread::sleep_for(1s);
    kill();

    // Temporaries that a killed write would leave behind.
    TempFolder::write(settings() + "repository.vmr.tmp99999.0", "half");
    TempFolder::write(settings() + "database/5.dat.tmp99999.3", "half");
    start();
    EXPECT_NE(songInfo(onlySongId()).find("\nRATE 5\n"), std::string::npos);
    const std::string log = running_->output();
    EXPECT_EQ(log.find("Removing Unsorted from list"), std::string::npos) << log;
    EXPECT_NE(log.find("Removed the leftover temporary file " + settings() + "repository.vmr.tmp99999.0\n"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(settings() + "repository.vmr.tmp99999.0"));
    EXPECT_FALSE(fs::exists(settings() + "database/5.dat.tmp99999.3"));
}

TEST_F(StorageFaults, AFirstScanKilledHalfWayIsCompletedAtTheNextStart) {
    constexpr int kFolders = 200;
    constexpr int kSongsEach = 25;
    for (int folder = 0; folder < kFolders; ++folder) {
        const std::string path = music() + "/album" + std::to_string(folder);
        fs::create_directories(path);
        for (int song = 0; song < kSongsEach; ++song) std::ofstream(path + "/" + std::to_string(song) + ".mp3");
    }
    start();
    player_.body("/setuserpref&name=REPOSITORY_PATHS&value=" + music());
    player_.body("/scan");
    ASSERT_TRUE(waitUntil([&] { return fs::exists(settings() + "scan.vmr"); }, 5s, 1ms));
    kill();
    ASSERT_TRUE(fs::exists(settings() + "scan.vmr")) << "the scan ended before the kill";

    start();
    EXPECT_TRUE(running_->waitForOutput("Scanning again every music folder: the last scan was cut short", 5s));
    EXPECT_TRUE(waitUntil([&] { return !fs::exists(settings() + "scan.vmr"); }, 60s, 50ms));
    EXPECT_EQ(player_.body("/getuserpref&REPOSITORY_NUM_FILES"), std::to_string(kFolders * kSongsEach));
    // Stored, not only merged: it survives another kill.
    kill();
    start();
    EXPECT_EQ(occurrences(player_.body("/getinfo_db"), "AUDIO = "), static_cast<size_t>(kFolders * kSongsEach));
    EXPECT_EQ(running_->output().find("Scanning again"), std::string::npos);
}

// One over-indented line once cost everything after it, and the next save overwrote the file.
TEST_F(StorageFaults, DamagedSettingsFilesAreKeptAsACopyAndReadPastTheFault) {
    const std::string repository = "USER username\n REPOSITORY_PATHS /nowhere\n     FAULT x\n VOLUME 0.25\n";
    const std::string filters = "SEARCH Before\n QUERY $rate == 5\n      QUERY broken\nSEARCH After\n QUERY $rate == 1\n";
    // An existing settings folder without its database folder: the folder comes back.
    TempFolder::write(settings() + "repository.vmr", repository);
    TempFolder::write(settings() + "filters.vmr", filters);
    start();
    const std::string log = running_->output();
    for (const char* name : {"repository.vmr", "filters.vmr"}) {
        const std::string path = settings() + name;
        EXPECT_NE(log.find("Damaged file " + path + ", kept as " + path + ".damaged\n"), std::string::npos) << log;
    }
    EXPECT_TRUE(fs::is_directory(settings() + "database"));
    EXPECT_EQ(player_.body("/getuserpref&REPOSITORY_PATHS"), "/nowhere");
    EXPECT_EQ(PlayerInstance::feedValue(player_.body("/fetch"), "VOLUME"), "250");
    const std::string filterList = player_.body("/listfilter");
    EXPECT_NE(filterList.find("Before"), std::string::npos);
    EXPECT_NE(filterList.find("After"), std::string::npos);

    // Saved whole again; the copies keep the damaged bytes.
    EXPECT_EQ(player_.body("/setvolume&value=500"), "ok");
    EXPECT_EQ(player_.body("/setfilterdata&index=1&name=Later&value=%24rate%20%3D%3D%202"), "ok");
    const std::string saved = TempFolder::read(settings() + "repository.vmr");
    EXPECT_NE(saved.find(" REPOSITORY_PATHS /nowhere\n"), std::string::npos);
    EXPECT_EQ(saved.find("FAULT"), std::string::npos);
    EXPECT_EQ(TempFolder::read(settings() + "filters.vmr"),
              "SEARCH Before\n QUERY $rate == 5\nSEARCH Later\n QUERY $rate == 2\n");
    EXPECT_EQ(TempFolder::read(settings() + "repository.vmr.damaged"), repository);
    EXPECT_EQ(TempFolder::read(settings() + "filters.vmr.damaged"), filters);
    EXPECT_EQ(PlayerInstance::stop(*running_), 0);
    start();
    EXPECT_EQ(running_->output().find("Damaged file"), std::string::npos);
}

TEST_F(StorageFaults, ChangesMadeWhileTheDiskIsFullReachItOnceThereIsSpace) {
    const std::string data = player_.root() + "data";
    if (!mountSmallDisk(data)) GTEST_SKIP() << "a small tmpfs cannot be mounted here (needs root with CAP_SYS_ADMIN)";
    TempFolder::write(music() + "/a.wav", silentWav(60000, 8000, 1));
    start();
    ASSERT_EQ(player_.scanSongs(music(), 1).size(), 1u);
    ASSERT_TRUE(waitUntil([&] { return !fs::exists(settings() + "scan.vmr"); }, 20s, 50ms));
    const std::string id = onlySongId();
    // A first rating's prompt flush also stores the tags read since the scan.
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(player_.body("/setrate&id=" + id.substr(1) + "&value=1"), "ok");
    std::this_thread::sleep_for(1500ms);
    const auto settingsBefore = folderContents(settings());
    const auto clustersBefore = folderContents(settings() + "database");

    const std::string filler = data + "/filler";
    {
        std::ofstream fill(filler, std::ios::binary);
        const std::string block(4096, 'f');
        while (fill.write(block.data(), static_cast<std::streamsize>(block.size())) && fill.flush()) {
        }
    }
    EXPECT_EQ(player_.body("/setrate&id=" + id.substr(1) + "&value=4"), "ok");
    EXPECT_EQ(player_.body("/setvolume&value=300"), "ok");
    EXPECT_EQ(player_.body("/queueadd&" + id), "ok");
    EXPECT_EQ(player_.body("/setfilterdata&index=0&name=Full&value=%24rate%20%3E%3D%204"), "ok");
    std::string error;
    EXPECT_TRUE(waitUntil([&] {
        error = PlayerInstance::feedValue(player_.body("/fetch"), "ERROR").value_or("");
        return error.find(".dat: No space left on device") != std::string::npos;
    }, 3s, 50ms)) << error;

    // Past the next ten-second flush: nothing damaged, each file reported once.
    std::this_thread::sleep_for(11s);
    EXPECT_EQ(folderContents(settings()), settingsBefore);
    EXPECT_EQ(folderContents(settings() + "database"), clustersBefore);
    const std::string fullLog = running_->output();
    for (const char* name : {"repository.vmr", "queue.vmr", "filters.vmr"}) {
        EXPECT_EQ(occurrences(fullLog, "Error writing " + settings() + name + ": No space left on device\n"), 1u)
            << name << "\n" << fullLog;
    }
    EXPECT_EQ(occurrences(fullLog, "Error writing " + settings() + "database/"), 1u) << fullLog;

    fs::remove(filler);
    for (const char* name : {"repository.vmr", "queue.vmr", "filters.vmr"}) {
        EXPECT_TRUE(running_->waitForOutput("Wrote " + settings() + name + " again", 15s)) << name;
    }
    EXPECT_TRUE(running_->waitForOutput("Wrote " + settings() + "database/", 15s));
    kill();
    start();
    EXPECT_NE(songInfo(onlySongId()).find("\nRATE 4\n"), std::string::npos);
    EXPECT_EQ(PlayerInstance::feedValue(player_.body("/fetch"), "VOLUME"), "300");
    EXPECT_NE(player_.body("/listqueue").find("a.wav"), std::string::npos);
    EXPECT_NE(player_.body("/listfilter").find("Full"), std::string::npos);
}

// A cluster file's sync once held the application lock: every request waited for the disk.
TEST_F(StorageFaults, RequestsAreAnsweredWhileAClusterFileIsSyncedSlowlyAndAChangeMeanwhileIsWrittenNext) {
    const std::string slowSwitch = player_.root() + "slow-sync";
    const char* sanitizerOptions = std::getenv("ASAN_OPTIONS");
    player_.setEnvironment("LD_PRELOAD=" SLOW_SYNC_LIBRARY);
    player_.setEnvironment("SLOW_SYNC_SWITCH=" + slowSwitch);
    // The sanitizer's runtime need not come first: the preloaded library only wraps fsync.
    player_.setEnvironment(std::string("ASAN_OPTIONS=") + (sanitizerOptions ? sanitizerOptions : "") +
                           ":verify_asan_link_order=0");
    TempFolder::write(music() + "/a.wav", silentWav(60000, 8000, 1));
    start();
    ASSERT_EQ(player_.scanSongs(music(), 1).size(), 1u);
    ASSERT_TRUE(waitUntil([&] { return !fs::exists(settings() + "scan.vmr"); }, 20s, 50ms));
    const std::string id = onlySongId().substr(1);

    TempFolder::write(slowSwitch, "3000");
    const auto writing = [&] {
        for (const auto& entry : fs::directory_iterator(settings() + "database")) {
            if (entry.path().filename().string().find(".tmp") != std::string::npos) return true;
        }
        return false;
    };
    EXPECT_EQ(player_.body("/setrate&id=" + id + "&value=5"), "ok");
    ASSERT_TRUE(waitUntil(writing, 5s, 5ms));
    const auto asked = std::chrono::steady_clock::now();
    EXPECT_EQ(PlayerInstance::feedValue(player_.body("/fetch"), "ERROR"), std::nullopt);
    EXPECT_EQ(player_.body("/setrate&id=" + id + "&value=3"), "ok");
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 1500ms);
    EXPECT_TRUE(writing()) << "the requests were answered after the write";
    fs::remove(slowSwitch);

    const auto stored = [&](const std::string& text) {
        for (const auto& entry : fs::directory_iterator(settings() + "database")) {
            if (entry.path().extension() == ".dat" && TempFolder::read(entry.path()).find(text) != std::string::npos) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(waitUntil([&] { return stored("\n RATE 3\n"); }, 15s, 50ms));
    kill();
    start();
    EXPECT_NE(songInfo(onlySongId()).find("\nRATE 3\n"), std::string::npos);
}
