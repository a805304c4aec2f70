#pragma once
// Waiting for a condition that another process or thread brings about, with a deadline.

#include <chrono>
#include <functional>
#include <thread>

// Asks the condition again after each pause; true as soon as it holds, false when it still
// does not after the limit.
inline bool waitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds limit = std::chrono::seconds(20),
                      std::chrono::milliseconds pause = std::chrono::milliseconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(pause);
    }
    return true;
}
