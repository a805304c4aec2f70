#include "net/HttpClient.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "net/HttpResponseReader.h"
#include "net/HttpUrl.h"
#include "net/TCPSocket.h"

namespace {

constexpr int kMaxAttempts = 5;  // the first request and four redirects
constexpr std::string_view kUserAgent = "VelmorantPlayer/1.00 Beta 1";
constexpr int kLingerSeconds = 10;
// How often a wait looks whether the fetch was called off.
constexpr int kCallOffCheckMs = 100;

// The time left of the whole fetch; a deadline of 0 never runs out.
class Deadline {
public:
    explicit Deadline(int milliseconds)
        : unbounded_(milliseconds <= 0), end_(Clock::now() + std::chrono::milliseconds(milliseconds)) {}

    // At least 1 while time is left, so it never reads as "wait for ever"; 0 once it has run out.
    int left() const {
        if (unbounded_) return kForever;
        const auto rest = std::chrono::ceil<std::chrono::milliseconds>(end_ - Clock::now()).count();
        return static_cast<int>(std::clamp<decltype(rest)>(rest, 0, kForever));
    }
    // The shorter of a step's own time-out (0: none) and the time left.
    int bound(int stepTimeoutMs) const { return stepTimeoutMs > 0 ? std::min(stepTimeoutMs, left()) : left(); }

private:
    using Clock = std::chrono::steady_clock;
    static constexpr int kForever = 1 << 30;
    bool unbounded_;
    Clock::time_point end_;
};

Str requestFor(const HttpUrl& url, bool version11) {
    Str request = Str::concat("GET ", url.path);
    if (version11) {
        request.append(" HTTP/1.1\r\nHost: ").append(url.authority);
        request.append("\r\nUser-Agent: ").append(kUserAgent);
        request.append("\r\nConnection: close\r\n\r\n");
    } else {
        request.append(" HTTP/1.0\r\nUser-Agent: ").append(kUserAgent).append("\r\n\r\n");
    }
    return request;
}

bool refused(std::string_view url, std::string_view reason) {
    std::printf("fetchUrl: %.*s (%.*s)\n", static_cast<int>(reason.size()), reason.data(),
                static_cast<int>(url.size()), url.data());
    return false;
}

enum class Wait { kInput, kTimedOut, kPastDeadline, kCalledOff };

// Waits for input in short slices, so that a call-off is seen while the server is silent.
Wait awaitInput(const TCPSocket& socket, const Deadline& deadline, const FetchOptions& options) {
    const Deadline receive(options.receiveTimeoutMs);
    for (;;) {
        if (options.callOff && *options.callOff) return Wait::kCalledOff;
        if (deadline.left() == 0) return Wait::kPastDeadline;
        if (receive.left() == 0) return Wait::kTimedOut;
        pollfd input{socket.handle(), POLLIN, 0};
        if (poll(&input, 1, std::min(deadline.bound(receive.left()), kCallOffCheckMs)) > 0) return Wait::kInput;
    }
}

// One request on a connection of its own, and its response.
HttpOutcome exchange(const HttpUrl& url, bool version11, const FetchOptions& options, const Deadline& deadline) {
    TCPSocket socket(url.port);
    socket.setLinger(kLingerSeconds);
    socket.makeBlocking();
    if (deadline.left() == 0 || !socket.connect(url.host, deadline.bound(options.connectTimeoutMs))) {
        return HttpOutcome::failure("no connection");
    }
    socket.setSendTimeout(deadline.bound(options.receiveTimeoutMs));
    if (!socket.send(requestFor(url, version11))) {
        return HttpOutcome::failure("the request was not sent");
    }
    HttpResponseReader reader(version11, options.maxResponseBytes);
    for (;;) {
        switch (awaitInput(socket, deadline, options)) {
            case Wait::kInput: break;
            case Wait::kTimedOut: return HttpOutcome::failure("no answer in time");
            case Wait::kPastDeadline: return HttpOutcome::failure("no complete answer before the deadline");
            case Wait::kCalledOff: return HttpOutcome::failure("called off");
        }
        ByteBuffer piece;
        const long received = socket.receive(piece);
        if (received < 0) return HttpOutcome::failure("the connection failed");
        if (received == 0 || !reader.add(piece.view())) break;
    }
    return reader.finish();
}

}  // namespace

bool fetchUrl(std::string_view url, ByteBuffer& result, bool version11,
              const FetchOptions& options) {
    Str current(url);
    std::optional<HttpUrl> target = HttpUrl::parse(current);
    if (!target) return refused(current, "not a usable http:// URL");
    const Deadline deadline(options.deadlineMs);
    for (int attempt = 1;; ++attempt) {
        HttpOutcome outcome = exchange(*target, version11, options, deadline);
        switch (outcome.kind) {
            case HttpOutcome::Kind::Body: result = std::move(outcome.body); return true;
            case HttpOutcome::Kind::Failed: return refused(current, outcome.reason);
            case HttpOutcome::Kind::Redirect: break;
        }
        if (attempt == kMaxAttempts) return refused(current, "too many redirects");
        current = std::move(outcome.location);
        target = HttpUrl::parse(current);
        if (!target) return refused(current, "redirect to a location that is not http://");
    }
}
