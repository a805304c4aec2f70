#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/EntryPoint.h"
#include "support/ChildProcess.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// A program folder of its own (a copy of the executable with seed files) and private
// data and runtime folders, so the instance under test meets no other.
class StartUpTest : public testing::Test {
protected:
    StartUpTest() {
        fs::create_directories(program() + "database");
        fs::create_directories(root_.path() + "run");
        fs::copy_file(VELMORANT_EXE, program() + "velmorant");
        TempFolder::write(program() + "database/7.dat", "seed cluster");
        TempFolder::write(program() + "filters.vmr", "SEARCH Rate 5\n QUERY $rate == 5\n");
        TempFolder::write(program() + "serversettings.ini", "PORT=1\n");
    }

    std::string program() const { return root_.path() + "program/"; }
    std::string userSettings() const { return root_.path() + "data/Velmorant/"; }
    std::string socketPath() const { return root_.path() + "run/VelmorantPlayer.sock"; }

    std::unique_ptr<ChildProcess> start(const std::vector<std::string>& arguments) {
        const std::string name = root_.path() + "run" + std::to_string(++runs_);
        return std::make_unique<ChildProcess>(
            program() + "velmorant", arguments,
            std::vector<std::string>{"HOME=" + root_.path(), "XDG_DATA_HOME=" + root_.path() + "data",
                                     "XDG_RUNTIME_DIR=" + root_.path() + "run"},
            name);
    }

    // A running instance listens for second instances once its main loop is up.
    bool waitUntilRunning() const {
        for (int i = 0; i < 500 && !fs::exists(socketPath()); ++i) std::this_thread::sleep_for(10ms);
        return fs::exists(socketPath());
    }

    TempFolder root_;
    int runs_ = 0;
};

}  // namespace

TEST_F(StartUpTest, PortableSeedsBesideTheExecutableAndRefusesASecondStart) {
    auto first = start({"portable"});
    ASSERT_TRUE(waitUntilRunning());
    EXPECT_EQ(TempFolder::read(program() + "settings/database/7.dat"), "seed cluster");
    EXPECT_EQ(TempFolder::read(program() + "settings/filters.vmr"), TempFolder::read(program() + "filters.vmr"));
    EXPECT_FALSE(fs::exists(userSettings()));
    EXPECT_EQ(TempFolder::read(program() + "WebUI.url"), "[InternetShortcut]\r\nURL=http://127.0.0.1:1\r\n");

    auto second = start({});
    EXPECT_EQ(second->waitForExit(10s), 1);
    EXPECT_EQ(second->errors(), "Error: Velmorant is already started\n");

    auto path = start({"\"/music/a b.mp3\""});
    EXPECT_EQ(path->waitForExit(10s), 0);

    first->signal(SIGTERM);
    EXPECT_EQ(first->waitForExit(10s), 0);
    EXPECT_FALSE(fs::exists(socketPath()));
}

TEST_F(StartUpTest, QuitAsFirstInstanceStartsNothing) {
    auto quit = start({"quit"});
    EXPECT_EQ(quit->waitForExit(10s), 0);
    EXPECT_FALSE(fs::exists(program() + "WebUI.url"));
    EXPECT_TRUE(fs::exists(userSettings() + "database/7.dat"));
}

TEST_F(StartUpTest, AnExistingSettingsFolderIsNeverSeededAgain) {
    fs::create_directories(userSettings());
    auto quit = start({"quit"});
    EXPECT_EQ(quit->waitForExit(10s), 0);
    EXPECT_FALSE(fs::exists(userSettings() + "database"));
    EXPECT_FALSE(fs::exists(userSettings() + "filters.vmr"));
}

TEST_F(StartUpTest, OnlyTheExactWordPortableMeansPortable) {
    auto first = start({"PORTABLE"});
    ASSERT_TRUE(waitUntilRunning());
    EXPECT_TRUE(fs::exists(userSettings() + "filters.vmr"));
    EXPECT_FALSE(fs::exists(program() + "settings"));
    first->signal(SIGINT);
    EXPECT_EQ(first->waitForExit(10s), 0);

    EXPECT_NE(startFolders("/opt/v/", "portable x").settings, "/opt/v/settings/");
    EXPECT_EQ(startFolders("/opt/v/", "portable").settings, "/opt/v/settings/");
}

TEST_F(StartUpTest, AnUncreatableSettingsFolderIsAnError) {
    TempFolder::write(root_.path() + "data", "a file where the data folder should be");
    auto run = start({});
    EXPECT_EQ(run->waitForExit(10s), 1);
    EXPECT_EQ(run->errors(), "Error: Can't create settings directory!\n");
}
