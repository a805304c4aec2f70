#include <gtest/gtest.h>

#include <regex>

#include "support/PlayerInstance.h"

namespace {

std::string keys(const std::string& text) {
    std::string out;
    const std::regex key("^([A-Z_]+) ", std::regex::multiline);
    for (auto match = std::sregex_iterator(text.begin(), text.end(), key); match != std::sregex_iterator(); ++match) {
        out += (*match)[1].str() + " ";
    }
    return out;
}

}  // namespace

TEST(StatusFeed, NothingLoadedAndVolume) {
    PlayerInstance player;
    auto running = player.startRunning();
    ASSERT_TRUE(running);

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

    player.get("/setvolume&value=700");
    EXPECT_NE(player.body("/fetch").find("\nVOLUME 699\n"), std::string::npos);
    EXPECT_EQ(PlayerInstance::stop(*running), 0);
}
