#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "app/EntryPoint.h"
#include "support/PlayerInstance.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// The keys of the status feed's lines, in order.
std::string keys(const std::string& text) {
    std::string out;
    const std::regex key("^([A-Z_]+) ", std::regex::multiline);
    for (auto match = std::sregex_iterator(text.begin(), text.end(), key); match != std::sregex_iterator(); ++match) {
        out += (*match)[1].str() + " ";
    }
    return out;
}

}  // namespace

// One portable player's life: it seeds its settings beside the executable, reports an idle
// feed, refuses a second instance, and takes the words of later starts, "quit" last.
TEST(StartUp, PortableSeedsBesideTheExecutableAndLaterStartsPassTheirWordsOn) {
    PlayerInstance player;
    auto first = player.startRunning({"portable"});
    ASSERT_TRUE(first);
    const std::string program = player.program();
    EXPECT_EQ(TempFolder::read(program + "settings/database/7.dat"), TempFolder::read(program + "database/7.dat"));
    EXPECT_EQ(TempFolder::read(program + "settings/filters.vmr"), TempFolder::read(program + "filters.vmr"));
    EXPECT_FALSE(fs::exists(player.userSettings()));
    EXPECT_EQ(TempFolder::read(program + "WebUI.url"),
              "[InternetShortcut]\r\nURL=http://127.0.0.1:" + std::to_string(player.port()) + "\r\n");

    const std::string idle = player.body("/fetch");
    EXPECT_EQ(keys(idle),
              "REVISION FILTER_REVISION RADIO_REVISION EQ_REVISION QUEUE_REVISION QUEUE_REMAINING RESOURCE TIME "
              "TIMEPLAYING POSITION FILTER SEARCH SHUFFLE FLAT VOLUME PLAYSTATUS PLAYTYPE EQ_ACTIVE "
              "SHOW_FIRST_RUN_DIALOG ")
        << idle;
    for (const char* line : {"\nTIME 00:00\n", "\nTIMEPLAYING 00:00\n", "\nPOSITION 0\n", "\nPLAYSTATUS 0\n",
                             "\nSEARCH \n", "\nQUEUE_REMAINING 0\n", "\nSHOW_FIRST_RUN_DIALOG 1\n"}) {
        EXPECT_NE(idle.find(line), std::string::npos) << line << idle;
    }

    auto second = player.start({});
    EXPECT_EQ(second->waitForExit(10s), 1);
    EXPECT_EQ(second->errors(), "Error: Velmorant is already started\n");
    auto path = player.start({"\"/music/a b.mp3\""});
    EXPECT_EQ(path->waitForExit(10s), 0);
    auto next = player.start({"next"});
    EXPECT_EQ(next->waitForExit(10s), 0);
    EXPECT_TRUE(first->waitForOutput("GET /next\n", 5s));

    auto quit = player.start({"quit"});
    EXPECT_EQ(quit->waitForExit(15s), 0);
    EXPECT_EQ(first->waitForExit(1s), 0);
    EXPECT_FALSE(fs::exists(player.socketPath()));
}

// "quit" as the first instance seeds the settings folder and starts nothing; a settings
// folder that exists is never seeded again, even when the seeds are gone from it.
TEST(StartUp, QuitAsFirstInstanceSeedsOnceAndStartsNothing) {
    PlayerInstance player;
    auto quit = player.start({"quit"});
    EXPECT_EQ(quit->waitForExit(10s), 0);
    EXPECT_FALSE(fs::exists(player.program() + "WebUI.url"));
    EXPECT_TRUE(fs::exists(player.userSettings() + "database/7.dat"));
    EXPECT_TRUE(fs::exists(player.userSettings() + "filters.vmr"));

    fs::remove_all(player.userSettings() + "database");
    fs::remove(player.userSettings() + "filters.vmr");
    quit = player.start({"quit"});
    EXPECT_EQ(quit->waitForExit(10s), 0);
    EXPECT_FALSE(fs::exists(player.userSettings() + "database"));
    EXPECT_FALSE(fs::exists(player.userSettings() + "filters.vmr"));
}

TEST(StartUp, AnUncreatableSettingsFolderIsAnErrorAndOnlyTheExactWordIsPortable) {
    PlayerInstance player;
    TempFolder::write(player.root() + "data", "a file where the data folder should be");
    auto run = player.start({});
    EXPECT_EQ(run->waitForExit(10s), 1);
    EXPECT_EQ(run->errors(), "Error: Can't create settings directory!\n");
    // Only the exact word means portable.
    EXPECT_NE(startFolders("/opt/v/", "PORTABLE").settings, "/opt/v/settings/");
    EXPECT_NE(startFolders("/opt/v/", "portable x").settings, "/opt/v/settings/");
    EXPECT_EQ(startFolders("/opt/v/", "portable").settings, "/opt/v/settings/");
}
