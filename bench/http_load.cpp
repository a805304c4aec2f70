// HTTP load client: opens one connection per request, N clients at a time, and prints the
// request rate, the median and 99th percentile latency and the failed requests, for "/test"
// and for a 10 KB static file, with 1 and 32 clients.
//
//   bench_http_load [--seconds=S] [--target=host:port] [--static=/path]
//
// Without a target it starts the real HttpServer in this process on a loopback port, with a
// minimal handler and a temporary web folder. S (default 4) is the whole run, shared evenly.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "net/HostInfo.h"
#include "platform/FileDescriptor.h"
#include "server/HttpConnection.h"
#include "server/HttpServer.h"
#include "server/RequestHandler.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    double seconds = 4;
    std::string host = "127.0.0.1";
    int port = 0;  // 0: the in-process server
    std::string staticPath = "/page10k.htm";
};

std::optional<Options> parseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument.starts_with("--seconds=")) {
            options.seconds = std::atof(argv[i] + 10);
        } else if (argument.starts_with("--target=")) {
            const std::string_view target = argument.substr(9);
            const size_t colon = target.rfind(':');
            if (colon == std::string_view::npos) return std::nullopt;
            options.host = std::string(target.substr(0, colon));
            options.port = std::atoi(std::string(target.substr(colon + 1)).c_str());
        } else if (argument.starts_with("--static=")) {
            options.staticPath = std::string(argument.substr(9));
        } else {
            return std::nullopt;
        }
    }
    if (options.seconds <= 0) return std::nullopt;
    return options;
}

// The real application checks the peer first and serves files for unknown paths.
class MinimalHandler : public RequestHandler {
public:
    bool handle(HttpConnection& connection) override {
        if (!connection.server().isAllowed(connection.peer())) {
            connection.sendForbidden();
        } else if (connection.request().view().starts_with("GET /test ")) {
            connection.appendBody("ok");
            connection.sendHtml();
        } else {
            const std::string_view request = connection.request();
            const size_t start = request.find(' ') + 1;
            connection.serveStatic(request.substr(start, request.find(' ', start) - start));
        }
        return true;
    }
};

// The real server on a free loopback port, on a thread of its own.
class InProcessServer {
public:
    InProcessServer() {
        std::string pattern = std::filesystem::temp_directory_path().string() + "/velmorant-load-XXXXXX";
        folder_ = mkdtemp(pattern.data()) ? pattern : std::string();
        std::filesystem::create_directories(folder_ + "/web");
        std::ofstream(folder_ + "/web/page10k.htm", std::ios::binary) << std::string(10240, 'v');
        ServerConfig config;
        config.port = 0;
        config.webFolder = folder_ + "/web";
        server_ = std::make_unique<HttpServer>(std::move(config), handler_);
        if (server_->start()) thread_ = std::thread([this] { server_->serve(quit_); });
    }
    ~InProcessServer() {
        quit_ = true;
        if (thread_.joinable()) thread_.join();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    bool running() const { return thread_.joinable(); }
    int port() const { return server_->port(); }

private:
    std::string folder_;
    MinimalHandler handler_;
    std::unique_ptr<HttpServer> server_;
    std::atomic<bool> quit_{false};
    std::thread thread_;
};

// True when the answer is a 200 whose body has the length its header announces.
bool completeOk(const std::string& answer) {
    if (!answer.starts_with("HTTP/1.0 200 OK\r\n")) return false;
    const size_t length = answer.find("Content-Length: ");
    const size_t blank = answer.find("\r\n\r\n");
    if (length == std::string::npos || blank == std::string::npos) return false;
    return answer.size() - blank - 4 == std::strtoul(answer.c_str() + length + 16, nullptr, 10);
}

struct Figures {
    std::vector<double> latenciesMs;
    long failed = 0;
    double seconds = 0;
};

// One request in flight on a non-blocking socket.
struct Exchange {
    FileDescriptor socket;
    Clock::time_point started;
    size_t sent = 0;
    std::string answer;
};

// Starts a request; false when the connection cannot even be begun.
bool begin(Exchange& exchange, const sockaddr_in& server) {
    exchange = Exchange{FileDescriptor(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)),
                        Clock::now(), 0, {}};
    const int result = ::connect(exchange.socket.get(), reinterpret_cast<const sockaddr*>(&server), sizeof server);
    return result == 0 || errno == EINPROGRESS;
}

enum class Step { Going, Done, Failed };

// Sends what is left of the request, then reads until the server ends its side.
Step advance(Exchange& exchange, const std::string& request) {
    while (exchange.sent < request.size()) {
        const ssize_t count = ::send(exchange.socket.get(), request.data() + exchange.sent,
                                     request.size() - exchange.sent, MSG_NOSIGNAL);
        if (count < 0) return errno == EAGAIN || errno == ENOTCONN ? Step::Going : Step::Failed;
        exchange.sent += static_cast<size_t>(count);
    }
    char piece[16384];
    for (;;) {
        const ssize_t count = ::recv(exchange.socket.get(), piece, sizeof piece, 0);
        if (count == 0) return completeOk(exchange.answer) ? Step::Done : Step::Failed;
        if (count < 0) return errno == EAGAIN ? Step::Going : Step::Failed;
        exchange.answer.append(piece, static_cast<size_t>(count));
    }
}

// Keeps `clients` requests in flight from one thread until the time is up, so the client's
// own scheduling adds as little as possible to the latencies.
Figures runClients(const sockaddr_in& server, const std::string& path, int clients, double seconds) {
    const std::string request = "GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
    const auto start = Clock::now();
    const auto deadline = start + std::chrono::duration<double>(seconds);
    constexpr auto kGiveUp = std::chrono::seconds(2);
    Figures figures;
    std::vector<Exchange> exchanges(static_cast<size_t>(clients));
    std::vector<pollfd> watched(exchanges.size());
    for (Exchange& exchange : exchanges) {
        if (!begin(exchange, server)) ++figures.failed;
    }
    for (bool active = true; active;) {
        for (size_t i = 0; i < exchanges.size(); ++i) {
            const bool busy = exchanges[i].socket.valid();
            watched[i] = {exchanges[i].socket.get(), static_cast<short>(busy ? POLLIN | POLLOUT : 0), 0};
            if (busy && exchanges[i].sent == request.size()) watched[i].events = POLLIN;
        }
        poll(watched.data(), watched.size(), 100);
        const auto now = Clock::now();
        active = false;
        for (size_t i = 0; i < exchanges.size(); ++i) {
            Exchange& exchange = exchanges[i];
            if (!exchange.socket.valid()) continue;
            const Step step = watched[i].revents != 0 ? advance(exchange, request)
                              : now - exchange.started > kGiveUp ? Step::Failed
                                                                 : Step::Going;
            if (step == Step::Done) {
                figures.latenciesMs.push_back(std::chrono::duration<double, std::milli>(now - exchange.started).count());
            }
            if (step == Step::Failed) ++figures.failed;
            if (step != Step::Going) {
                exchange.socket.reset();
                if (now < deadline && !begin(exchange, server)) ++figures.failed;
            }
            active = active || exchange.socket.valid();
        }
    }
    figures.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return figures;
}

double percentile(std::vector<double>& sorted, double fraction) {
    if (sorted.empty()) return 0;
    return sorted[std::min(sorted.size() - 1, static_cast<size_t>(fraction * static_cast<double>(sorted.size())))];
}

void report(const std::string& path, int clients, Figures figures) {
    std::sort(figures.latenciesMs.begin(), figures.latenciesMs.end());
    std::printf("%-16s %2d clients  %8.0f req/s  p50 %7.3f ms  p99 %7.3f ms  failed %ld\n", path.c_str(), clients,
                static_cast<double>(figures.latenciesMs.size()) / figures.seconds,
                percentile(figures.latenciesMs, 0.50), percentile(figures.latenciesMs, 0.99), figures.failed);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    std::optional<Options> options = parseOptions(argc, argv);
    if (!options) {
        std::fprintf(stderr, "usage: %s [--seconds=S] [--target=host:port] [--static=/path]\n", argv[0]);
        return 2;
    }
    std::optional<InProcessServer> local;
    if (options->port == 0) {
        local.emplace();
        if (!local->running()) return 1;
        options->port = local->port();
    }
    const HostInfo host = lookupHost(options->host);
    if (!host.found()) return 1;
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(static_cast<uint16_t>(options->port));
    inet_pton(AF_INET, host.addressText().c_str(), &server.sin_addr);

    const double share = options->seconds / 4;
    for (const std::string& path : {std::string("/test"), options->staticPath}) {
        for (const int clients : {1, 32}) report(path, clients, runClients(server, path, clients, share));
    }
    return 0;
}
