#pragma once
// A lock for critical sections of a few dozen instructions: one atomic exchange to take
// it, a plain release store to leave it. A thread that finds it taken tries a few times,
// then yields its time slice between tries, so a descheduled holder is never starved.

#include <atomic>
#include <thread>

class SpinLock {
public:
    void lock() {
        for (int attempt = 0; flag_.exchange(true, std::memory_order_acquire); ++attempt) {
            while (flag_.load(std::memory_order_relaxed)) {
                if (attempt >= kSpinsBeforeYield) std::this_thread::yield();
                ++attempt;
            }
        }
    }
    void unlock() { flag_.store(false, std::memory_order_release); }

private:
    static constexpr int kSpinsBeforeYield = 4;
    std::atomic<bool> flag_{false};
};
