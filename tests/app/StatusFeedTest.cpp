#include <gtest/gtest.h>

#include <regex>

#include "support/PlayerInstance.h"

using namespace std::chrono_literals;

namespace {

std::string feed(const PlayerInstance& player) { return PlayerInstance::bodyOf(player.get("/fetch")); }

std::string keys(const std::string& text) {
    std::string out;
    const std::regex key("^([A-Z_]+) ", std::regex::multiline);
    for (auto match = std::sregex_iterator(text.begin(), text.end(), key); match != std::sregex_iterator(); ++match) {
        out += (*match)[1].str() + " ";
    }
    return out;
}

}  // namespace

TEST(StatusFeed, NothingLoadedVolumeAndMessages) {
    PlayerInstance player;
    player.writeServerSettings("RADIO_LIST_URL=http://127.0.0.1:1/radio/radio.vmr\n");
    auto running = player.start({});
    ASSERT_TRUE(player.waitUntilRunning());
    ASSERT_TRUE(running->waitForOutput("Server started.", 10s));

    const std::string idle = feed(player);
    EXPECT_EQ(keys(idle),
              "REVISION FILTER_REVISION RADIO_REVISION EQ_REVISION QUEUE_REVISION QUEUE_REMAINING RESOURCE TIME "
              "TIMEPLAYING POSITION FILTER SEARCH SHUFFLE FLAT VOLUME PLAYSTATUS PLAYTYPE EQ_ACTIVE "
              "SHOW_FIRST_RUN_DIALOG ")
        << idle;
    for (const char* line : {"\nTIME 00:00\n", "\nTIMEPLAYING 00:00\n", "\nPOSITION 0\n", "\nPLAYSTATUS 0\n",
                             "\nSEARCH \n", "\nQUEUE_REMAINING 0\n", "\nSHOW_FIRST_RUN_DIALOG 1\n"}) {
        EXPECT_NE(idle.find(line), std::string::npos) << line << idle;
    }

    player.get("/setvolume&value=700");
    EXPECT_NE(feed(player).find("\nVOLUME 699\n"), std::string::npos);

    player.get("/syncradio");
    const std::string failed = feed(player);
    EXPECT_NE(failed.find("\nERROR Connection error!\n"), std::string::npos) << failed;
    std::this_thread::sleep_for(2500ms);
    EXPECT_EQ(feed(player).find("ERROR"), std::string::npos);

    running->signal(SIGTERM);
    EXPECT_EQ(running->waitForExit(10s), 0);
}
