#include "ServerHarness.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include "support/TempFolder.h"
#include "server/HttpConnection.h"
#include "server/Widget.h"

namespace {

std::string_view requestPath(std::string_view request) {
    const size_t start = request.find(' ');
    if (start == std::string_view::npos) return {};
    const std::string_view rest = request.substr(start + 1);
    const std::string_view path = rest.substr(0, rest.find(' '));
    return path.substr(0, path.find('&'));
}

sockaddr_in loopback(const char* address, int port) {
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, address, &result.sin_addr);
    return result;
}

}  // namespace

bool TestHandler::handle(HttpConnection& connection) {
    HttpServer& server = connection.server();
    if (!server.isAllowed(connection.peer())) {
        connection.sendForbidden();
        return true;
    }
    const std::string path(requestPath(connection.request()));
    if (path == "/test") {
        connection.appendBody("ok");
        connection.sendText();
    } else if (path == "/huge") {
        const std::string piece(1 << 20, 'h');
        for (int i = 0; i < 64; ++i) connection.appendBody(piece);
        connection.sendHtml();
    } else if (path == "/twice") {
        connection.appendBody("first");
        connection.sendHtml();
        connection.sendNotFound();
    } else if (path == "/widget/VelmorantWidget.zip") {
        if (!sendWidget(server.webFolder() + path, connection)) {
            connection.appendBody("ok");
            connection.sendHtml();
        }
    } else {
        connection.serveStatic(path);
    }
    return true;
}

RunningServer::RunningServer(ServerConfig config) : server_(std::move(config), handler_) {
    if (server_.start()) thread_ = std::thread([this] { server_.serve(quit_); });
}

RunningServer::~RunningServer() {
    quit_ = true;
    if (thread_.joinable()) thread_.join();
}

Client::Client(int port, const char* from) : socket_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    const sockaddr_in local = loopback(from, 0);
    const sockaddr_in server = loopback("127.0.0.1", port);
    ::bind(socket_.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local);
    ::connect(socket_.get(), reinterpret_cast<const sockaddr*>(&server), sizeof server);
}

void Client::send(std::string_view bytes) const {
    ::send(socket_.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

std::string Client::readToEnd(int timeoutMs) const {
    std::string received;
    char piece[65536];
    pollfd waiting{socket_.get(), POLLIN, 0};
    while (poll(&waiting, 1, timeoutMs) > 0) {
        const ssize_t count = ::recv(socket_.get(), piece, sizeof piece, 0);
        if (count <= 0) break;
        received.append(piece, static_cast<size_t>(count));
    }
    return received;
}

bool Client::awaitReset(int timeoutMs) const {
    pollfd waiting{socket_.get(), 0, 0};
    return poll(&waiting, 1, timeoutMs) > 0 && (waiting.revents & (POLLERR | POLLHUP)) != 0;
}

std::string fetch(int port, std::string_view request, const char* from) {
    const Client client(port, from);
    client.send(request);
    return client.readToEnd();
}

std::string get(int port, std::string_view path, const char* from) {
    return fetch(port, "GET " + std::string(path) + " HTTP/1.0\r\n\r\n", from);
}

std::string bodyOf(const std::string& answer) {
    const size_t blank = answer.find("\r\n\r\n");
    return blank == std::string::npos ? std::string() : answer.substr(blank + 4);
}

ServerConfig loopbackConfig(const TempFolder& folder) {
    ServerConfig config;
    config.port = 0;
    config.webFolder = folder.path() + "web";
    return config;
}
