#include <gtest/gtest.h>

#include <fstream>

#include "app/ServerSettings.h"
#include "support/TempFolder.h"

namespace {

ServerSettings loaded(const std::string& iniText) {
    TempFolder folder;
    std::ofstream(folder.path() + "serversettings.ini", std::ios::binary) << iniText;
    ServerSettings settings;
    EXPECT_TRUE(settings.load(folder.path() + "serversettings.ini"));
    return settings;
}

}  // namespace

TEST(ServerSettings, ReadsPortAccessAndServiceAddresses) {
    const ServerSettings settings = loaded(
        "Port=8080\r\nACCESS = 192.168.1.20, 192.168.1.21 ,,\r\n"
        "radio_list_url= http://127.0.0.1:9000/radio/radio.vmr \r\nCOVER_SEARCH_HOST=127.0.0.1:9001\r\n"
        "Audio_Output = pipe:/run/user/1000/velmorant.pcm\r\n");
    EXPECT_EQ(settings.port, 8080);
    ASSERT_EQ(settings.access.count(), 2u);
    EXPECT_EQ(settings.access.at(0), "192.168.1.20");
    EXPECT_EQ(settings.access.at(1), "192.168.1.21");
    EXPECT_EQ(settings.radioListUrl, "http://127.0.0.1:9000/radio/radio.vmr");
    EXPECT_EQ(settings.coverSearchHost, "127.0.0.1:9001");
    EXPECT_EQ(settings.audioOutput, "pipe:/run/user/1000/velmorant.pcm");
}

TEST(ServerSettings, CommentsIndentationAndBadValues) {
    EXPECT_EQ(loaded("PORT=1300\n ACCESS=*\nPORT=1400\n").port, 1300);
    EXPECT_EQ(loaded("PORT=1300\n ACCESS=*\n").access.count(), 0u);
    EXPECT_EQ(loaded("PORT=abc\n").port, 0);

    ServerSettings missing;
    EXPECT_FALSE(missing.load("/nonexistent/serversettings.ini"));
    EXPECT_EQ(missing.port, 1200);
    writeBrowserShortcut("/nonexistent/WebUI.url", 8080);  // an unwritable place is no failure to start
}
