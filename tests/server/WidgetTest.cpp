#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ServerHarness.h"
#include "net/HostInfo.h"
#include "server/Widget.h"
#include "support/TempFolder.h"

namespace {

// Filler without NUL bytes, with the placeholders at the given offsets.
std::string archiveWith(size_t size, size_t addressAt, size_t portAt) {
    std::string archive(size, 'z');
    for (size_t i = 0; i < size; i += 7) archive[i] = static_cast<char>('A' + i % 26);
    archive.replace(addressAt, 13, "192.168.0.100");
    archive.replace(portAt, 4, "1200");
    return archive;
}

void writeArchive(const TempFolder& folder, const std::string& bytes) {
    std::filesystem::create_directories(folder.path() + "web/widget");
    std::ofstream(folder.path() + "web/widget/VelmorantWidget.zip", std::ios::binary) << bytes;
}

}  // namespace

TEST(Widget, PlaceholdersLieWithinOneWindowBeforeANulAndPatchesStopAtTheEnd) {
    const auto found = findWidgetPlaceholders(archiveWith(1000, 150, 300));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->address, 150u);
    EXPECT_EQ(found->port, 300u);
    EXPECT_FALSE(findWidgetPlaceholders(archiveWith(1000, 95, 300)));   // straddles 100
    EXPECT_FALSE(findWidgetPlaceholders(archiveWith(1000, 150, 400)));  // port too far
    std::string afterNul = archiveWith(1000, 150, 300);
    afterNul[120] = '\0';
    EXPECT_FALSE(findWidgetPlaceholders(afterNul));

    // Overwrites stop at the end of the archive.
    std::string archive = "PK" + std::string("192.168.0.1001200");
    patchWidget(archive, {2, 15}, "10.0.0.5", 8080);
    EXPECT_EQ(archive, "PK10.0.0.5\"    8080");
}

TEST(Widget, TheSentArchiveDiffersOnlyWhereThePlaceholdersWere) {
    const TempFolder folder;
    ServerConfig config = loopbackConfig(folder);
    const RunningServer running(config);
    const std::string path = "/widget/VelmorantWidget.zip";

    const std::string original = archiveWith(5000, 2130, 2180);
    writeArchive(folder, original);
    const std::string answer = get(running.port(), path);
    EXPECT_NE(answer.find("Content-Type: application/x-opera-widgets; charset=utf-8;\r\n"), std::string::npos);
    EXPECT_NE(answer.find("Expires: Mon, 26 Jul 2020 05:00:00 GMT\r\n"), std::string::npos);
    std::string expected = original;
    const std::string address = std::string(lookupLocalHost().addressText()) + "\"         ";
    expected.replace(2130, address.size(), address);
    const std::string port = std::to_string(running.port()) + "     ";
    expected.replace(2180, port.size(), port);
    EXPECT_EQ(bodyOf(answer), expected);

    writeArchive(folder, archiveWith(5000, 2195, 2300));  // straddles a window: not sent
    EXPECT_EQ(bodyOf(get(running.port(), path)), "ok");
}
