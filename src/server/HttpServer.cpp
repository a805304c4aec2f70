#include "server/HttpServer.h"

#include <poll.h>
#include <sys/socket.h>

#include <cstdio>
#include <vector>

#include "net/HostInfo.h"
#include "net/MachineIdentity.h"
#include "platform/Clock.h"
#include "platform/WakeSignal.h"
#include "server/AccessRule.h"
#include "server/OpenFileLimit.h"
#include "server/RequestHandler.h"
#include "text/TextSearch.h"

namespace {

constexpr int kPollTimeoutMs = 100;
constexpr uint32_t kCloseDelayMs = 1000;
// How long the rest of a request's headers may keep us waiting before it is handled as it is.
constexpr uint32_t kHeaderWaitMs = 500;
// Beyond these counts the oldest connections of a list are closed early.
constexpr size_t kMaxFinished = 512;
constexpr size_t kMaxWaiting = 512;
constexpr int kAcceptBatch = 64;
// A failed accept (out of descriptors, say) is not retried sooner, or the loop would spin.
constexpr uint32_t kAcceptPauseMs = 100;

bool readable(int handle) {
    pollfd probe{handle, POLLIN, 0};
    return poll(&probe, 1, 0) > 0;
}

}  // namespace

// The listener first, then the owners' sockets in order, then the wake signal and the quit handle.
struct HttpServer::Watch {
    std::vector<pollfd> fds;
    std::vector<Connections::iterator> owners;
    size_t waitingCount = 0;  // owners from waiting_; the rest are from sending_

    void add(Connections::iterator connection, short events) {
        fds.push_back({connection->handle(), events, 0});
        owners.push_back(connection);
    }
    bool ready(size_t ownerIndex) const { return fds[ownerIndex + 1].revents != 0; }
    bool woken() const { return fds[owners.size() + 1].revents != 0; }
};

HttpServer::HttpServer(ServerConfig config, RequestHandler& handler)
    : config_(std::move(config)), handler_(handler), listener_(config_.port), wake_(std::make_shared<WakeSignal>()) {}

HttpServer::~HttpServer() = default;

bool HttpServer::start() {
    machine_ = std::make_unique<MachineIdentity>();
    raiseOpenFileLimit();
    const HostInfo host = lookupLocalHost();
    listener_.setReuseAddress();
    // A burst of browser connections must not overflow the queue (dropped ones retry after
    // 1 s), and accept must not block when a connection vanished between poll and accept.
    if (!listener_.bind() || !listener_.listen(SOMAXCONN) || !listener_.setNonBlocking()) return false;
    if (host.found()) {
        std::printf("Server started. %s:%d (%s)\n", host.addressText().c_str(), port(), host.name().c_str());
    } else {
        // The failed look-up has printed its text without a line end.
        std::printf("\nServer started. 0.0.0.0:%d\n", port());
    }
    return true;
}

int HttpServer::port() const {
    const int bound = listener_.localPort();
    return bound != 0 ? bound : config_.port;
}

bool HttpServer::isAllowed(std::string_view peer) const { return ::isAllowed(peer, config_.access, *machine_); }

bool HttpServer::isOwnHost(std::string_view host) const {
    if (machine_->isOwnAddress(host) || machine_->isOwnName(host)) return true;
    for (const Str& name : config_.hostNames) {
        if (equalNoCase(name.view(), host)) return true;
    }
    return false;
}

void HttpServer::serve(const std::atomic<bool>& quit) {
    Watch watch;
    while (!quit) {
        waitForActivity(watch);
        if (watch.woken()) wake_->drain();
        sendDeferred();
        handleArrived(watch, quit);
        handleStalled(millisecondClock());
        continueAnswers(watch, millisecondClock());
        if (watch.fds[0].revents != 0) acceptArrivals(millisecondClock());
        dropSilent(millisecondClock());
        reap(millisecondClock());
    }
    waiting_.clear();
    deferred_.clear();
    sending_.clear();
    finished_.clear();
}

// Watches the listener, every waiting connection and every answer still going out. A
// negative handle is skipped by poll.
void HttpServer::waitForActivity(Watch& watch) {
    watch.fds.clear();
    watch.owners.clear();
    watch.fds.push_back({accepting(millisecondClock()) ? listener_.handle() : -1, POLLIN, 0});
    for (auto it = waiting_.begin(); it != waiting_.end(); ++it) watch.add(it, POLLIN);
    watch.waitingCount = waiting_.size();
    for (auto it = sending_.begin(); it != sending_.end(); ++it) watch.add(it, POLLOUT);
    watch.fds.push_back({wake_->handle(), POLLIN, 0});
    watch.fds.push_back({config_.quitHandle, POLLIN, 0});
    poll(watch.fds.data(), watch.fds.size(), pollTimeout());
}

// Waiting, sending and finished connections all run on timers (headers, silence, closing),
// as does a paused accept; with none of them only a socket, a deferred answer or quit wakes us.
int HttpServer::pollTimeout() const {
    const bool timed = !waiting_.empty() || !sending_.empty() || !finished_.empty() || acceptPaused_;
    return timed || config_.quitHandle < 0 ? kPollTimeoutMs : -1;
}

bool HttpServer::accepting(uint32_t now) const {
    return !acceptPaused_ || now - acceptPausedAt_ >= kAcceptPauseMs;
}

void HttpServer::acceptArrivals(uint32_t now) {
    acceptPaused_ = false;
    for (int count = 0; count < kAcceptBatch && (count == 0 || readable(listener_.handle())); ++count) {
        Str peer;
        std::optional<TCPSocket> socket = listener_.accept(peer);
        if (!socket) {
            acceptPaused_ = true;
            acceptPausedAt_ = now;
            return;
        }
        if (waiting_.size() >= kMaxWaiting) waiting_.pop_front();
        waiting_.emplace_back(*this, std::move(*socket), std::move(peer), now);
    }
}

// Moving a connection between lists keeps the watch's iterators valid.
void HttpServer::handleArrived(const Watch& watch, const std::atomic<bool>& quit) {
    for (size_t i = 0; i < watch.waitingCount; ++i) {
        if (quit) return;
        if (watch.ready(i)) handle(watch.owners[i]);
    }
}

void HttpServer::handle(Connections::iterator connection) {
    const HttpConnection::Arrival arrival = connection->readRequest(millisecondClock());
    if (arrival == HttpConnection::Arrival::kMore) return;
    if (arrival == HttpConnection::Arrival::kComplete) handler_.handle(*connection);
    answerAndMove(connection);
}

void HttpServer::handleStalled(uint32_t now) {
    for (auto it = waiting_.begin(); it != waiting_.end();) {
        const Connections::iterator connection = it++;
        if (!connection->hasPartialRequest() || now - connection->lastActivity() < kHeaderWaitMs) continue;
        connection->takeArrived();
        handler_.handle(*connection);
        answerAndMove(connection);
    }
}

// To the answers going out, or to those waiting to be closed; a deferred answer waits aside.
void HttpServer::answerAndMove(Connections::iterator connection) {
    if (connection->awaitingAnswer() && !connection->sendPendingAnswer()) {
        deferred_.splice(deferred_.end(), waiting_, connection);
        return;
    }
    moveAnswered(waiting_, connection);
}

void HttpServer::moveAnswered(Connections& from, Connections::iterator connection) {
    connection->finish(millisecondClock());
    Connections& next = connection->sending() ? sending_ : finished_;
    next.splice(next.end(), from, connection);
}

// Deferred answers need no watch of their own: the thread that fills one wakes the poll.
void HttpServer::sendDeferred() {
    for (auto it = deferred_.begin(); it != deferred_.end();) {
        const Connections::iterator connection = it++;
        if (connection->sendPendingAnswer()) moveAnswered(deferred_, connection);
    }
}

void HttpServer::continueAnswers(const Watch& watch, uint32_t now) {
    for (size_t i = watch.waitingCount; i < watch.owners.size(); ++i) {
        if (!watch.ready(i)) continue;
        const Connections::iterator connection = watch.owners[i];
        connection->continueSending(now);
        if (!connection->sending()) finished_.splice(finished_.end(), sending_, connection);
    }
}

void HttpServer::dropSilent(uint32_t now) {
    const auto limit = static_cast<uint32_t>(config_.silenceLimit.count());
    waiting_.remove_if([&](const HttpConnection& c) { return now - c.lastActivity() >= limit; });
    sending_.remove_if([&](const HttpConnection& c) { return now - c.lastActivity() >= limit; });
}

// Closes connections answered more than a second ago: closing at once could reset the
// connection while the peer still reads. A long queue is cut from its oldest end.
void HttpServer::reap(uint32_t now) {
    while (!finished_.empty() && now - finished_.front().finishedAt() > kCloseDelayMs) finished_.pop_front();
    while (finished_.size() > kMaxFinished) finished_.pop_front();
}
