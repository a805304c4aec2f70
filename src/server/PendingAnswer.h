#pragma once
// The answer of a request whose command finishes on another thread (after an outgoing
// fetch): that thread fills it once with the body of a plain-text answer, and the server
// thread, woken by the signal, sends it. Shared by both, so either may go first.

#include <memory>
#include <mutex>
#include <optional>
#include <string>

class WakeSignal;

class PendingAnswer {
public:
    explicit PendingAnswer(std::shared_ptr<const WakeSignal> wake) : wake_(std::move(wake)) {}

    // Any thread; the first body counts, later ones are ignored.
    void fill(std::string body);
    // The server thread: the body once it is there, handed out once.
    std::optional<std::string> take();

private:
    std::shared_ptr<const WakeSignal> wake_;
    std::mutex mutex_;
    bool filled_ = false;
    std::optional<std::string> body_;
};
