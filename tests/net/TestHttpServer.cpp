#include "TestHttpServer.h"

#include <chrono>

TestHttpServer::TestHttpServer(Script script) : script_(std::move(script)) {
    listener_.setReuseAddress();
    listener_.bind();
    listener_.listen();
    port_ = listener_.localPort();
    thread_ = std::thread([this] { serve(); });
}

TestHttpServer::~TestHttpServer() {
    stopping_ = true;
    TCPSocket wake(port_);  // unblocks accept()
    wake.connect("127.0.0.1");
    thread_.join();
}

std::string TestHttpServer::url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

std::vector<std::string> TestHttpServer::requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

void TestHttpServer::serve() {
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

void sendInPieces(TCPSocket& connection, const std::vector<std::string>& pieces) {
    for (const std::string& piece : pieces) {
        connection.send(piece);
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
}

void awaitClientClose(TCPSocket& connection) {
    connection.setReceiveTimeout(3000);
    ByteBuffer ignored;
    while (connection.receive(ignored) > 0) {
    }
}
