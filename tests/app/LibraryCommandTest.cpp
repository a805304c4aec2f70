#include <gtest/gtest.h>

#include <filesystem>

#include "support/MakeLibrary.h"
#include "support/PlayerInstance.h"
#include "support/TestHttpServer.h"

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

std::string encoded(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '/' || std::isalnum(static_cast<unsigned char>(c))) {
            out += c;
        } else {
            char escape[4];
            std::snprintf(escape, sizeof escape, "%%%02X", static_cast<unsigned char>(c));
            out += escape;
        }
    }
    return out;
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

// Polls the store statistics until the scan has stored the expected number of lists.
bool waitForStoredLists(const PlayerInstance& player, size_t expected) {
    const std::string wanted = "Num files in clusters: " + std::to_string(expected) + "<br>";
    return waitUntil([&] { return player.body("/getinfo_fs").find(wanted) != std::string::npos; }, 30s, 100ms);
}

}  // namespace

TEST(LibraryCommands, SettingsAreReadWrittenAndKeptAcrossARestart) {
    PlayerInstance player;
    auto first = player.startRunning();
    ASSERT_TRUE(first);
    EXPECT_EQ(player.body("/getuserpref&SHOW_FIRST_RUN_DIALOG"), "1");
    EXPECT_EQ(player.body("/setuserpref&name=SHOW_FIRST_RUN_DIALOG&value=0&name=PAGE_MAX_MATCHES&value=300"), "ok");
    EXPECT_EQ(player.body("/getuserpref&PAGE_MAX_MATCHES"), "300");
    ASSERT_EQ(PlayerInstance::stop(*first), 0);

    auto second = player.startRunning();
    ASSERT_TRUE(second);
    EXPECT_EQ(player.body("/getuserpref&SHOW_FIRST_RUN_DIALOG"), "0");
    EXPECT_EQ(player.body("/getuserpref&PAGE_MAX_MATCHES"), "300");
    EXPECT_EQ(PlayerInstance::stop(*second), 0);
}

TEST(LibraryCommands, AScanStoresOneListPerFolder) {
    PlayerInstance player;
    const std::string music = player.root() + "music";
    ASSERT_TRUE(makeLibrary("--out " + music + " --files 60 --images"));
    auto running = player.startRunning();
    ASSERT_TRUE(running);

    EXPECT_EQ(player.body("/setuserpref&name=REPOSITORY_PATHS&value=" + encoded(music)), "ok");
    EXPECT_EQ(player.body("/scan"), "ok");
    EXPECT_TRUE(waitForStoredLists(player, foldersBelow(music))) << player.body("/getinfo_fs");
    EXPECT_TRUE(running->waitForOutput("New directory found", 1s));

    EXPECT_EQ(PlayerInstance::stop(*running), 0);
}

TEST(LibraryCommands, RadioListAndCoverSearchAskTheConfiguredServers) {
    TestHttpServer services([](TCPSocket& connection, const std::string& request) {
        if (request.find("/radio/radio.vmr") != std::string::npos) {
            respond(connection, "CHANNELS Jazz\n RADIO Smooth\n  PLAYLIST http://127.0.0.1:1/s.pls\n");
        } else {
            respond(connection, "<covers/>");
        }
    });
    PlayerInstance player;
    player.writeServerSettings("RADIO_LIST_URL=" + services.url("/radio/radio.vmr") +
                               "\nCOVER_SEARCH_HOST=127.0.0.1:" + std::to_string(services.port()) + "\n");
    auto running = player.startRunning({"portable"});
    ASSERT_TRUE(running);

    EXPECT_EQ(player.body("/syncradio"), "ok");
    EXPECT_NE(TempFolder::read(player.program() + "settings/radio2.vmr").find(" RADIO Smooth\n"), std::string::npos);
    EXPECT_EQ(player.body("/findimg&album=Blue%20Train&artist=Coltrane"), std::string("<covers/>\0", 10));
    bool askedForCover = false;
    for (const std::string& request : services.requests()) {
        askedForCover = askedForCover || request.find("/onca/xml") != std::string::npos;
    }
    EXPECT_TRUE(askedForCover);

    EXPECT_EQ(PlayerInstance::stop(*running), 0);
}
