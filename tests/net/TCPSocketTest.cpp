#include <gtest/gtest.h>

#include <vector>

#include "support/CapturedOutput.h"
#include "net/TCPSocket.h"

namespace {

TCPSocket listeningSocket() {
    TCPSocket listener(0);
    listener.setReuseAddress();
    listener.bind();
    listener.listen();
    return listener;
}

int closedPort() {
    return listeningSocket().localPort();
}

}  // namespace

TEST(TCPSocket, ConnectingToAClosedPortReportsRefused) {
    TCPSocket client(closedPort());
    EXPECT_EQ(capturedOutput([&] { EXPECT_FALSE(client.connect("127.0.0.1")); }), "TCPSocket: WSAECONNREFUSED\n");
}

TEST(TCPSocket, ConnectGivesUpAfterItsTimeOut) {
    TCPSocket listener = listeningSocket();  // never accepts: its queue fills up
    std::vector<TCPSocket> queued;
    testing::internal::CaptureStdout();
    for (int i = 0; i < 20; ++i) {
        queued.emplace_back(listener.localPort());
        if (!queued.back().connect("127.0.0.1", 200)) break;
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "TCPSocket: WSAETIMEDOUT\n");
}

TEST(TCPSocket, PeersThatCloseOrStaySilentEndTheWaitQuietly) {
    TCPSocket listener = listeningSocket();
    TCPSocket client(listener.localPort());
    ASSERT_TRUE(client.connect("127.0.0.1"));
    Str peer;
    std::optional<TCPSocket> connection = listener.accept(peer);
    ASSERT_TRUE(connection);
    ByteBuffer buffer;
    connection->setReceiveTimeout(100);
    EXPECT_EQ(capturedOutput([&] { EXPECT_EQ(connection->receive(buffer), -1); }),
              "TCPSocket: Resource temporarily unavailable.\n");

    TCPSocket moved = std::move(*connection);
    EXPECT_EQ(capturedOutput([&] { EXPECT_FALSE(connection->send("x")); }),
              "TCPSocket: Socket operation on nonsocket.\n");

    client.close();
    testing::internal::CaptureStdout();
    EXPECT_EQ(moved.receive(buffer), 0);
    EXPECT_TRUE(buffer.empty());
    // Sending on into the closed connection fails instead of raising SIGPIPE.
    bool sent = true;
    for (int i = 0; i < 100 && sent; ++i) sent = moved.send(std::string(65536, 'x'));
    EXPECT_FALSE(sent);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("TCPSocket: "), std::string::npos);
}
