#include <gtest/gtest.h>

#include <regex>

#include "server/ResponseFraming.h"
#include "support/PlayerInstance.h"
#include "support/TestHttpServer.h"

using namespace std::chrono_literals;

namespace {

constexpr std::string_view kForbidden = kForbiddenAnswer;
constexpr std::string_view kNotFound = kNotFoundAnswer;

// The request count and the bytes sent that the info page reports.
std::pair<long, long> traffic(const std::string& page) {
    static const std::regex piece("Requests count: ([0-9]+), Data sent: (?:([0-9]+) KB )?([0-9]+) bytes<br>");
    std::smatch match;
    EXPECT_TRUE(std::regex_search(page, match, piece)) << page;
    if (match.empty()) return {};
    return {std::stol(match[1]), std::stol("0" + match[2].str()) * 1024 + std::stol(match[3])};
}

}  // namespace

// One player's life on the web: commands answer with their headers and are logged, only
// exact paths are found, every answer is counted but only successful ones count their bytes,
// pages of other sites run no command however the request arrives, and the store commands
// answer on an empty library.
TEST(WebServer, RequestsAreAnsweredLoggedCountedAndGuarded) {
    PlayerInstance player;
    auto running = player.startRunning({"portable"});
    ASSERT_TRUE(running);

    // The page does not yet count its own answer.
    const std::string first = player.get("/getinfo");
    const auto [requests, bytes] = traffic(PlayerInstance::bodyOf(first));
    EXPECT_EQ(player.get("/nothing-here"), kNotFound);
    const auto [laterRequests, laterBytes] = traffic(player.body("/getinfo"));
    EXPECT_EQ(laterRequests, requests + 2);
    EXPECT_EQ(laterBytes, bytes + static_cast<long>(first.size()));

    const std::string test = player.get("/test");
    EXPECT_EQ(test.substr(0, 17), "HTTP/1.0 200 OK\r\n");
    EXPECT_NE(test.find("Cache-Control: no-cache, must-revalidate\r\n"), std::string::npos);
    EXPECT_EQ(PlayerInstance::bodyOf(test), "ok");
    EXPECT_EQ(player.body("/blank"), "");
    EXPECT_NE(player.get("/blank").find("Content-Length: 0\r\n"), std::string::npos);
    EXPECT_EQ(player.body("/"), "<html>index</html>");
    EXPECT_EQ(player.get("/TEST"), kNotFound);
    EXPECT_EQ(player.get("/test?x"), kNotFound);
    EXPECT_EQ(player.get("/../program/serversettings.ini"), kNotFound);
    EXPECT_TRUE(running->waitForOutput("from [127.0.0.1] GET /test\n", 5s));
    EXPECT_TRUE(running->waitForOutput("GET /index.html\n", 5s));
    player.get("/test&hello%20there");
    EXPECT_TRUE(running->waitForOutput("Params: hello there\n", 5s));

    const std::string crossSite = "Host: 127.0.0.1\r\nSec-Fetch-Site: cross-site\r\n\r\n";
    EXPECT_EQ(PlayerInstance::bodyOf(player.send("GET / HTTP/1.1\r\n" + crossSite)), "<html>index</html>");
    // Headers that come in pieces are read whole, the mark in a later piece included.
    const auto sendInTwo = [&](const std::string& firstPiece, const std::string& secondPiece) {
        TCPSocket client(player.port());
        EXPECT_TRUE(client.connect("127.0.0.1"));
        client.setReceiveTimeout(5000);
        sendInPieces(client, {firstPiece, secondPiece});
        ByteBuffer answer;
        while (client.receive(answer) > 0) {
        }
        return std::string(answer.view());
    };
    EXPECT_EQ(sendInTwo("GET /quit HTTP/1.1\r\n", crossSite), kForbidden);
    EXPECT_EQ(PlayerInstance::bodyOf(sendInTwo("GET /test HTTP/1.1\r\n", "Host: 127.0.0.1\r\n\r\n")), "ok");
    std::this_thread::sleep_for(200ms);
    EXPECT_FALSE(running->waitForExit(0ms).has_value());

    const std::string stats = player.body("/getinfo_fs");
    EXPECT_EQ(stats.rfind("Num clusters: 64<br>Num files in clusters: 0<br>", 0), 0u) << stats;
    const std::string music = player.root() + "Music";
    EXPECT_EQ(player.body("/move_dir&source=" + music + "/a&dest=" + music + "/b"), "ok");
    EXPECT_EQ(player.body("/flush"), "ok");

    EXPECT_EQ(PlayerInstance::stop(*running), 0);
}
