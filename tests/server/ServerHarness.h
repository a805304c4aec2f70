#pragma once
// A real HttpServer on a free loopback port, serving on a thread of its own, and a client
// that talks to it over real sockets.

#include <atomic>
#include <string>
#include <string_view>
#include <thread>

#include "platform/FileDescriptor.h"
#include "server/HttpServer.h"
#include "server/RequestHandler.h"

// Like the application's handler: the access rule first, then "/test" answers "ok", "/huge"
// 64 MB, "/twice" tries two answers, the widget path the patched archive ("ok" when it
// cannot), and any other path a static file.
class TempFolder;

class TestHandler : public RequestHandler {
public:
    bool handle(HttpConnection& connection) override;
};

class RunningServer {
public:
    explicit RunningServer(ServerConfig config);
    ~RunningServer();
    int port() const { return server_.port(); }
    const HttpServer& server() const { return server_; }

private:
    TestHandler handler_;
    HttpServer server_;
    std::atomic<bool> quit_{false};
    std::thread thread_;
};

// A connection to 127.0.0.1 from the given local address.
class Client {
public:
    explicit Client(int port, const char* from = "127.0.0.1");
    void send(std::string_view bytes) const;
    // Everything until the server ends its side, or until the wait runs out.
    std::string readToEnd(int timeoutMs = 5000) const;
    // Waits for the connection to be reset or closed under it; false when the wait runs out.
    bool awaitReset(int timeoutMs) const;

private:
    FileDescriptor socket_;
};

// One request on a fresh connection; the whole answer.
std::string fetch(int port, std::string_view request, const char* from = "127.0.0.1");
std::string get(int port, std::string_view path, const char* from = "127.0.0.1");
// The body of an answer (after its blank line).
std::string bodyOf(const std::string& answer);
// A server on a port the system picks, serving the folder's "web" subfolder.
ServerConfig loopbackConfig(const TempFolder& folder);
