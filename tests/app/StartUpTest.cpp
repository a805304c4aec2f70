#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/EntryPoint.h"
#include "support/PlayerInstance.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

class StartUpTest : public testing::Test {
protected:
    std::string program() const { return player_.program(); }
    std::string userSettings() const { return player_.userSettings(); }
    std::string socketPath() const { return player_.socketPath(); }
    std::unique_ptr<ChildProcess> start(const std::vector<std::string>& arguments) { return player_.start(arguments); }
    bool waitUntilRunning() const { return player_.waitUntilRunning(); }

    PlayerInstance player_;
};

}  // namespace

TEST_F(StartUpTest, PortableSeedsBesideTheExecutableAndRefusesASecondStart) {
    auto first = start({"portable"});
    ASSERT_TRUE(waitUntilRunning());
    EXPECT_EQ(TempFolder::read(program() + "settings/database/7.dat"), TempFolder::read(program() + "database/7.dat"));
    EXPECT_EQ(TempFolder::read(program() + "settings/filters.vmr"), TempFolder::read(program() + "filters.vmr"));
    EXPECT_FALSE(fs::exists(userSettings()));
    EXPECT_EQ(TempFolder::read(program() + "WebUI.url"), "[InternetShortcut]\r\nURL=http://127.0.0.1:" + std::to_string(player_.port()) + "\r\n");

    auto second = start({});
    EXPECT_EQ(second->waitForExit(10s), 1);
    EXPECT_EQ(second->errors(), "Error: Velmorant is already started\n");

    auto path = start({"\"/music/a b.mp3\""});
    EXPECT_EQ(path->waitForExit(10s), 0);

    EXPECT_EQ(PlayerInstance::stop(*first), 0);
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
    TempFolder::write(player_.root() + "data", "a file where the data folder should be");
    auto run = start({});
    EXPECT_EQ(run->waitForExit(10s), 1);
    EXPECT_EQ(run->errors(), "Error: Can't create settings directory!\n");
}
