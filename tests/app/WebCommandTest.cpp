#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "server/ResponseFraming.h"
#include "support/PlayerInstance.h"
#include "support/TestHttpServer.h"

using namespace std::chrono_literals;

namespace {

constexpr std::string_view kForbidden = kForbiddenAnswer;
constexpr std::string_view kNotFound = kNotFoundAnswer;

class WebCommandTest : public testing::Test {
protected:
    void SetUp() override {
        running_ = player_.startRunning({"portable"});
        ASSERT_TRUE(running_);
    }
    void TearDown() override {
        if (running_) {
            EXPECT_EQ(PlayerInstance::stop(*running_), 0);
        }
    }

    PlayerInstance player_;
    std::unique_ptr<ChildProcess> running_;
};

}  // namespace

TEST_F(WebCommandTest, CommandsAnswerAndEveryRequestIsLogged) {
    const std::string test = player_.get("/test");
    EXPECT_EQ(test.substr(0, 17), "HTTP/1.0 200 OK\r\n");
    EXPECT_NE(test.find("Cache-Control: no-cache, must-revalidate\r\n"), std::string::npos);
    EXPECT_EQ(PlayerInstance::bodyOf(test), "ok");
    EXPECT_EQ(player_.body("/blank"), "");
    EXPECT_NE(player_.get("/blank").find("Content-Length: 0\r\n"), std::string::npos);
    EXPECT_EQ(player_.body("/"), "<html>index</html>");
    EXPECT_EQ(player_.get("/TEST"), kNotFound);
    EXPECT_EQ(player_.get("/test?x"), kNotFound);
    EXPECT_EQ(player_.get("/../program/serversettings.ini"), kNotFound);

    EXPECT_TRUE(running_->waitForOutput("from [127.0.0.1] GET /test\n", 5s));
    EXPECT_TRUE(running_->waitForOutput("GET /index.html\n", 5s));
    player_.get("/test&hello%20there");
    EXPECT_TRUE(running_->waitForOutput("Params: hello there\n", 5s));
}

TEST_F(WebCommandTest, StoreCommandsMoveAndExportTheStoredLists) {
    const std::string stats = player_.body("/getinfo_fs");
    EXPECT_EQ(stats.rfind("Num clusters: 64<br>Num files in clusters: 0<br>", 0), 0u) << stats;

    const std::string music = player_.root() + "Music";
    EXPECT_EQ(player_.body("/move_dir&source=" + music + "/a&dest=" + music + "/b"), "ok");
    EXPECT_EQ(player_.body("/flush"), "ok");
}

TEST_F(WebCommandTest, PagesOfOtherSitesCannotRunCommands) {
    const std::string crossSite = "Host: 127.0.0.1\r\nSec-Fetch-Site: cross-site\r\n\r\n";
    EXPECT_EQ(player_.send("GET /quit HTTP/1.1\r\n" + crossSite), kForbidden);
    EXPECT_EQ(PlayerInstance::bodyOf(player_.send("GET / HTTP/1.1\r\n" + crossSite)), "<html>index</html>");
    EXPECT_EQ(PlayerInstance::bodyOf(player_.send("GET /test HTTP/1.1\r\nSec-Fetch-Site: same-origin\r\n\r\n")), "ok");

    // A long address pushes the headers past what one request read takes in.
    const std::string longPath = "/quit&" + std::string(9000, 'x');
    EXPECT_EQ(player_.send("GET " + longPath + " HTTP/1.1\r\n" + crossSite), kForbidden);
    std::this_thread::sleep_for(200ms);
    EXPECT_FALSE(running_->waitForExit(0ms).has_value());

    // Headers that come in pieces are read whole, the mark in a later piece included.
    const auto sendInTwo = [&](const std::string& first, const std::string& second) {
        TCPSocket client(player_.port());
        EXPECT_TRUE(client.connect("127.0.0.1"));
        client.setReceiveTimeout(5000);
        sendInPieces(client, {first, second});
        ByteBuffer answer;
        while (client.receive(answer) > 0) {
        }
        return std::string(answer.view());
    };
    EXPECT_EQ(sendInTwo("GET /quit HTTP/1.1\r\n", crossSite), kForbidden);
    EXPECT_EQ(PlayerInstance::bodyOf(sendInTwo("GET /test HTTP/1.1\r\n", "Host: 127.0.0.1\r\n\r\n")), "ok");
}

TEST_F(WebCommandTest, SecondStartsSendWordsToTheRunningPlayer) {
    auto next = player_.start({"next"});
    EXPECT_EQ(next->waitForExit(10s), 0);
    EXPECT_TRUE(running_->waitForOutput("GET /next\n", 5s));

    auto quit = player_.start({"quit"});
    EXPECT_EQ(quit->waitForExit(15s), 0);
    EXPECT_TRUE(running_->waitForExit(1s).has_value());
    EXPECT_EQ(running_->waitForExit(0ms), 0);
}

// Every answer counts as a request, but only successful ones count their bytes; the page
// does not yet count its own answer.
TEST_F(WebCommandTest, TheInfoPageCountsAnswersAndTheBytesOfSuccessfulOnes) {
    const auto traffic = [](const std::string& page) {
        static const std::regex piece("Requests count: ([0-9]+), Data sent: (?:([0-9]+) KB )?([0-9]+) bytes<br>");
        std::smatch match;
        EXPECT_TRUE(std::regex_search(page, match, piece)) << page;
        return std::pair{std::stol(match[1]), std::stol("0" + match[2].str()) * 1024 + std::stol(match[3])};
    };
    const std::string first = player_.get("/getinfo");
    const auto [requests, bytes] = traffic(PlayerInstance::bodyOf(first));
    EXPECT_EQ(player_.get("/nothing-here"), kNotFound);
    const auto [laterRequests, laterBytes] = traffic(player_.body("/getinfo"));
    EXPECT_EQ(laterRequests, requests + 2);
    EXPECT_EQ(laterBytes, bytes + static_cast<long>(first.size()));
}
