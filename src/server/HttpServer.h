#pragma once
// The web server. It listens on the configured port and hands each request that arrives to
// the request handler, strictly one at a time, on the thread that calls serve(). Connections
// that stay silent, take their answer slowly or wait for an answer another thread works out
// (HttpConnection::deferAnswer) wait aside and hold up nobody.

#include <atomic>
#include <cstdint>
#include <ctime>
#include <list>
#include <memory>
#include <string>
#include <string_view>

#include "net/TCPSocket.h"
#include "server/HttpConnection.h"
#include "server/ServerConfig.h"
#include "server/ServerCounters.h"

class MachineIdentity;
class RequestHandler;
class WakeSignal;

class HttpServer {
public:
    // The handler must outlive the server. Destroying the server closes every connection.
    HttpServer(ServerConfig config, RequestHandler& handler);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Reads this machine's names, raises the open-file limit, binds and listens, then logs
    // "Server started. ...". False, with the socket error on standard output, when the port
    // cannot be bound.
    bool start();
    // Serves until `quit` is set; the flag is tested between requests, and at least every
    // 100 ms unless the configuration's quit handle wakes the server. Closes every
    // connection before it returns.
    void serve(const std::atomic<bool>& quit);

    // The listening port: the configured one, or the one the system chose for port 0.
    int port() const;
    const std::string& webFolder() const { return config_.webFolder; }
    // The access rule with the configured list. Both checks are valid once started.
    bool isAllowed(std::string_view peer) const;
    // A Host header's host (without port or brackets) names this machine: one of its
    // addresses, "localhost", its host name with or without its domain, or a configured name.
    bool isOwnHost(std::string_view host) const;
    // The time for the Date line.
    std::time_t now() const { return config_.now(); }
    ServerCounters& counters() { return counters_; }
    const ServerCounters& counters() const { return counters_; }
    // Wakes the serving thread; deferred answers use it to say they are ready.
    std::shared_ptr<const WakeSignal> wakeSignal() const { return wake_; }

private:
    using Connections = std::list<HttpConnection>;

    struct Watch;  // the sockets of one poll

    void waitForActivity(Watch& watch);
    int pollTimeout() const;
    void acceptArrivals(uint32_t now);
    void handleArrived(const Watch& watch, const std::atomic<bool>& quit);
    void handle(Connections::iterator connection);
    void handleStalled(uint32_t now);
    void answerAndMove(Connections::iterator connection);
    void moveAnswered(Connections& from, Connections::iterator connection);
    void continueAnswers(const Watch& watch, uint32_t now);
    void sendDeferred();
    void dropSilent(uint32_t now);
    void reap(uint32_t now);
    bool accepting(uint32_t now) const;

    ServerConfig config_;
    RequestHandler& handler_;
    TCPSocket listener_;
    std::shared_ptr<const WakeSignal> wake_;
    std::unique_ptr<MachineIdentity> machine_;
    Connections waiting_;   // accepted, request not arrived yet; oldest first
    Connections deferred_;  // handled, answer still being worked out on another thread
    Connections sending_;   // handled, answer partly out
    Connections finished_;  // answered (or given up), to be closed; oldest first
    ServerCounters counters_;
    bool acceptPaused_ = false;
    uint32_t acceptPausedAt_ = 0;
};
