#pragma once
// A small HTTP server of the tests' own on loopback: one thread takes connections one after
// another, reads each request up to its blank line and lets a script answer it.

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/TCPSocket.h"

class TestHttpServer {
public:
    using Script = std::function<void(TCPSocket& connection, const std::string& request)>;

    explicit TestHttpServer(Script script);
    ~TestHttpServer();

    int port() const { return port_; }
    std::string url(std::string_view path) const;  // on 127.0.0.1 at the server's port
    std::vector<std::string> requests() const;

private:
    void serve();

    TCPSocket listener_{0};
    int port_ = 0;
    Script script_;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// Sends the pieces with short pauses between them, so the client receives them apart.
void sendInPieces(TCPSocket& connection, const std::vector<std::string>& pieces);
// Waits (at most a few seconds) until the client closes its side.
void awaitClientClose(TCPSocket& connection);
