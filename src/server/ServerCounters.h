#pragma once
// The traffic figures of the info page. Written by the server thread; readable on any thread.

#include <atomic>
#include <cstdint>

class ServerCounters {
public:
    // Every answer counts as a request; only 200 answers add their bytes (header and body).
    void countAnswer(uint32_t okBytes) {
        requests_.fetch_add(1, std::memory_order_relaxed);
        bytes_.fetch_add(okBytes, std::memory_order_relaxed);
    }
    uint32_t requestCount() const { return requests_.load(std::memory_order_relaxed); }
    // Wraps at 2^32.
    uint32_t bytesSent() const { return bytes_.load(std::memory_order_relaxed); }

private:
    std::atomic<uint32_t> requests_{0};
    std::atomic<uint32_t> bytes_{0};
};
