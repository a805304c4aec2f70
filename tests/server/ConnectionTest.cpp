#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <vector>

#include "ServerHarness.h"
#include "net/TCPSocket.h"
#include "server/ServerThread.h"
#include "support/CapturedOutput.h"
#include "support/TempFolder.h"

namespace {

using Clock = std::chrono::steady_clock;

long millisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

size_t openDescriptors() {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                             std::filesystem::directory_iterator()));
}

}  // namespace

TEST(Connection, SilentAndSlowPeersHoldUpNobody) {
    const TempFolder folder;
    const RunningServer running(loopbackConfig(folder));
    const Client silent(running.port());
    const Client slowSender(running.port());
    slowSender.send("GET /te");
    const Client slowReader(running.port());  // asks for 64 MB and reads none of it
    slowReader.send("GET /huge HTTP/1.0\r\n\r\n");
    get(running.port(), "/test");  // the huge answer is under way

    for (int i = 0; i < 20; ++i) {
        const auto start = Clock::now();
        EXPECT_EQ(bodyOf(get(running.port(), "/test")), "ok");
        EXPECT_LT(millisecondsSince(start), 100);
    }
}

TEST(Connection, ASilentConnectionIsDroppedAfterTheLimit) {
    const TempFolder folder;
    ServerConfig config = loopbackConfig(folder);
    config.silenceLimit = std::chrono::milliseconds(300);
    const RunningServer running(config);
    const Client silent(running.port());
    const auto start = Clock::now();
    EXPECT_EQ(silent.readToEnd(3000), "");
    EXPECT_GE(millisecondsSince(start), 250);
    EXPECT_LT(millisecondsSince(start), 1000);
}

TEST(Connection, ThePeerSeesTheEndAtOnceAndTheSocketClosesASecondLater) {
    const TempFolder folder;
    const RunningServer running(loopbackConfig(folder));
    const Client client(running.port());
    const auto start = Clock::now();
    client.send("GET /test HTTP/1.0\r\n\r\n");
    EXPECT_EQ(bodyOf(client.readToEnd()), "ok");
    EXPECT_LT(millisecondsSince(start), 100);

    // Bytes the server never reads make its close reset the connection: that shows when.
    client.send("more");
    ASSERT_TRUE(client.awaitReset(3000));
    EXPECT_GE(millisecondsSince(start), 1000);
    EXPECT_LT(millisecondsSince(start), 1500);
}

TEST(Connection, ABurstOfRequestsKeepsDescriptorsBounded) {
    const TempFolder folder;
    const RunningServer running(loopbackConfig(folder));
    const size_t before = openDescriptors();
    int answered = 0;
    for (int i = 0; i < 2000; ++i) answered += bodyOf(get(running.port(), "/test")) == "ok";
    EXPECT_EQ(answered, 2000);
    EXPECT_LT(openDescriptors(), before + 600);
}

TEST(Connection, MalformedRequestsAreAnsweredAndNeverCrash) {
    const TempFolder folder;
    const RunningServer running(loopbackConfig(folder));
    const std::string notFound = "HTTP/1.0 404 Not Found\r\n";
    for (const std::string& request :
         {std::string("GET"), std::string("GET  "), std::string(3, '\0'), std::string(20000, 'A'),
          "GET /" + std::string(20000, 'x') + " HTTP/1.0\r\n\r\n", std::string("\r\n\r\n")}) {
        EXPECT_EQ(fetch(running.port(), request).substr(0, notFound.size()), notFound);
    }
    // The request ends at its first NUL byte.
    EXPECT_EQ(bodyOf(fetch(running.port(), std::string("GET /test\0/../x HTTP/1.0\r\n\r\n", 29))), "ok");
    { const Client closesAtOnce(running.port()); }
    EXPECT_EQ(bodyOf(get(running.port(), "/test")), "ok");
}

TEST(ServerThread, QuitEndsTheThreadWithoutARequest) {
    const TempFolder folder;
    TestHandler handler;
    std::atomic<bool> running{false};
    std::atomic<bool> quit{false};
    std::thread thread(runServerThread, loopbackConfig(folder), std::ref(handler), std::ref(running),
                       std::cref(quit));
    while (!running) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto start = Clock::now();
    quit = true;
    thread.join();
    EXPECT_LT(millisecondsSince(start), 300);
    EXPECT_FALSE(running);
}

TEST(ServerThread, APortInUseIsReportedAndEndsTheThread) {
    TCPSocket occupant(0);
    occupant.bind();
    occupant.listen();
    const TempFolder folder;
    ServerConfig config = loopbackConfig(folder);
    config.port = occupant.localPort();
    TestHandler handler;
    std::atomic<bool> running{false};
    const std::atomic<bool> quit{false};
    const std::string log = capturedOutput([&] { runServerThread(config, handler, running, quit); });
    EXPECT_NE(log.find("TCPSocket: Address already in use.\n"), std::string::npos);
    EXPECT_EQ(log.find("Server started."), std::string::npos);
    EXPECT_FALSE(running);
}
