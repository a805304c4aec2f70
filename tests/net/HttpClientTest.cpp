#include <gtest/gtest.h>

#include <chrono>

#include "support/TestHttpServer.h"
#include "net/HttpClient.h"

namespace {

const FetchOptions kQuick{.connectTimeoutMs = 1000, .receiveTimeoutMs = 1000, .maxResponseBytes = size_t{1} << 20};

std::string fetched(const std::string& url, bool version11 = true,
                    const FetchOptions& options = kQuick) {
    ByteBuffer result;
    return fetchUrl(url, result, version11, options) ? std::string(result.view()) : "<failed>";
}

// Answers "/hop<n>" with a 302 to "/hop<n+1>" until n reaches `hops`, then with a body.
TestHttpServer redirectingServer(int hops, const int& port) {
    return TestHttpServer([hops, &port](TCPSocket& connection, const std::string& request) {
        const int n = std::stoi(request.substr(request.find("/hop") + 4));
        if (n < hops) {
            connection.send("HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:" +
                            std::to_string(port) + "/hop" + std::to_string(n + 1) + "\r\n\r\n");
        } else {
            connection.send("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\ndone");
        }
    });
}

}  // namespace

// The server keeps the connection open, so only a client that honours the length returns.
TEST(HttpClient, HonoursContentLengthInAnyLetterCase) {
    for (const std::string key : {"Content-Length", "content-length", "CONTENT-LENGTH"}) {
        TestHttpServer server([&key](TCPSocket& connection, const std::string&) {
            sendInPieces(connection, {"HTTP/1.1 200 OK\r\n" + key + ": 5\r\n\r\nhel", "lo"});
            awaitClientClose(connection);
        });
        EXPECT_EQ(fetched(server.url("/radio/radio.vmr")), "hello") << key;
        ASSERT_EQ(server.requests().size(), 1u);
        EXPECT_EQ(
            server.requests()[0],
            "GET /radio/radio.vmr HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.port()) +
                "\r\nUser-Agent: VelmorantPlayer/1.00 Beta 1\r\nConnection: close\r\n\r\n");
    }
}

TEST(HttpClient, Http10FormSendsNoHostAndReadsUntilTheServerCloses) {
    TestHttpServer server([](TCPSocket& connection, const std::string&) {
        sendInPieces(connection, {"HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\n4\r\n", "Wiki"});
    });
    EXPECT_EQ(fetched(server.url("/onca/xml?a=1"), false), "4\r\nWiki");
    EXPECT_EQ(server.requests().at(0),
              "GET /onca/xml?a=1 HTTP/1.0\r\nUser-Agent: VelmorantPlayer/1.00 Beta 1\r\n\r\n");
}

TEST(HttpClient, DecodesAChunkedBodyArrivingInPieces) {
    TestHttpServer server([](TCPSocket& connection, const std::string&) {
        sendInPieces(connection,
                     {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", "4\r\nWi",
                      "ki\r\n5;name=x\r\npedia\r\n", "0\r\n", "Expires: never\r\n\r\n"});
    });
    EXPECT_EQ(fetched(server.url("/list.pls")), "Wikipedia");
}

TEST(HttpClient, FollowsUpToFourRedirects) {
    int port = 0;
    for (const int hops : {1, 4, 5}) {
        TestHttpServer server = redirectingServer(hops, port);
        port = server.port();
        EXPECT_EQ(fetched(server.url("/hop0")), hops < 5 ? "done" : "<failed>") << hops;
        EXPECT_EQ(server.requests().size(), static_cast<size_t>(std::min(hops + 1, 5)));
    }
}

TEST(HttpClient, RefusesUnusableRedirects) {
    for (const std::string answer :
         {"HTTP/1.1 302 Found\r\nServer: x\r\n\r\n",
          "HTTP/1.1 301 Moved\r\nLocation: /relative\r\n\r\n",
          "HTTP/1.1 302 Found\r\nLocation: https://127.0.0.1/\r\n\r\n",
          "HTTP/1.1 303 See Other\r\nLocation: http://127.0.0.1/\r\n\r\n"}) {
        TestHttpServer server(
            [&answer](TCPSocket& connection, const std::string&) { connection.send(answer); });
        EXPECT_EQ(fetched(server.url("/")), "<failed>") << answer;
        EXPECT_EQ(server.requests().size(), 1u);
    }
}

TEST(HttpClient, RefusesOtherSchemesAndBadUrlsWithoutConnecting) {
    TestHttpServer server([](TCPSocket& connection, const std::string&) {
        connection.send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
    });
    const std::string hostPort = "127.0.0.1:" + std::to_string(server.port());
    const std::vector<std::string> urls{"https://" + hostPort + "/", "ftp://" + hostPort + "/",
                                        "HTTP://" + hostPort + "/", "http://127.0.0.1:99999/",
                                        "http://" + hostPort + "/a\r\nX-Injected: 1"};
    for (const std::string& url : urls) {
        EXPECT_EQ(fetched(url), "<failed>") << url;
    }
    EXPECT_TRUE(server.requests().empty());
    // Without a path the request line keeps its empty path.
    EXPECT_EQ(fetched("http://" + hostPort), "ok");
    EXPECT_TRUE(server.requests().at(0).starts_with("GET  HTTP/1.1\r\nHost: " + hostPort + "\r\n"));
}

// The receive time-out: a server that never answers must not freeze the player.
TEST(HttpClient, GivesUpOnAServerThatNeverAnswers) {
    std::atomic<bool> released{false};
    TestHttpServer server([&released](TCPSocket&, const std::string&) {
        for (int i = 0; i < 300 && !released; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(fetched(server.url("/"), true, {.connectTimeoutMs = 1000, .receiveTimeoutMs = 500, .maxResponseBytes = 1024}),
              "<failed>");
    const auto elapsed = std::chrono::steady_clock::now() - start;
    released = true;
    EXPECT_GE(elapsed, std::chrono::milliseconds(400));
    EXPECT_LT(elapsed, std::chrono::milliseconds(2500));
}

// Every receive is prompt, so only a call-off ends it before the deadline (which the process
// test of slow servers holds the player to).
TEST(HttpClient, ACallOffEndsAFetchFromADrippingServer) {
    std::atomic<bool> released{false};
    TestHttpServer server([&released](TCPSocket& connection, const std::string&) {
        connection.send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n");
        for (int i = 0; i < 100 && !released && connection.send("x"); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    std::atomic<bool> callOff{false};
    FetchOptions cancellable = kQuick;
    cancellable.callOff = &callOff;
    std::thread caller([&callOff] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        callOff = true;
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(fetched(server.url("/"), true, cancellable), "<failed>");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(800));
    caller.join();
    released = true;
}
