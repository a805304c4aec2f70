#pragma once
// A small HTTP server of the tests' own on loopback: one thread takes connections one after
// another, reads each request up to its blank line and lets a script answer it. Header-only,
// so the tests of every folder can use it.

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "net/TCPSocket.h"
#include "text/ByteBuffer.h"
#include "text/Str.h"

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

inline TestHttpServer::TestHttpServer(Script script) : script_(std::move(script)) {
    listener_.setReuseAddress();
    listener_.bind();
    listener_.listen();
    port_ = listener_.localPort();
    thread_ = std::thread([this] { serve(); });
}

inline TestHttpServer::~TestHttpServer() {
    stopping_ = true;
    TCPSocket wake(port_);  // unblocks accept()
    wake.connect("127.0.0.1");
    thread_.join();
}

inline std::string TestHttpServer::url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

inline std::vector<std::string> TestHttpServer::requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

inline void TestHttpServer::serve() {
    while (!stopping_) {
        Str peer;
        std::optional<TCPSocket> connection = listener_.accept(peer);
        if (stopping_ || !connection) break;
        connection->setReceiveTimeout(3000);
        ByteBuffer request;
        while (request.view().find("\r\n\r\n") == std::string_view::npos &&
               connection->receive(request) > 0) {
        }
        {
            const std::lock_guard lock(mutex_);
            requests_.emplace_back(request.view());
        }
        script_(*connection, std::string(request.view()));
    }
}

// A complete 200 answer with the body.
inline void respond(TCPSocket& connection, std::string_view body) {
    connection.send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
                    std::string(body));
}

// Sends the pieces with short pauses between them, so the client receives them apart.
inline void sendInPieces(TCPSocket& connection, const std::vector<std::string>& pieces) {
    for (const std::string& piece : pieces) {
        connection.send(piece);
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
}

// Waits until the client closes its side, or until it has stayed silent for the limit.
inline void awaitClientClose(TCPSocket& connection, std::chrono::milliseconds limit = std::chrono::seconds(3)) {
    connection.setReceiveTimeout(static_cast<int>(limit.count()));
    ByteBuffer ignored;
    while (connection.receive(ignored) > 0) {
    }
}
