#pragma once
// A recursive mutex that wakes one waiting thread whenever another thread releases it: the
// waiter (the main loop) sleeps in poll() on signal() and learns that something may have
// changed under the lock, without looking at the clock.

#include <atomic>
#include <mutex>
#include <thread>

#include "platform/WakeSignal.h"

class WakingMutex {
public:
    void lock() { mutex_.lock(); }
    bool try_lock() { return mutex_.try_lock(); }
    // Any thread but the waiter's notifies the signal after releasing.
    void unlock();

    // The waiter's releases wake nobody. Until it is set, every release notifies.
    void setWaiter(std::thread::id waiter) { waiter_ = waiter; }
    const WakeSignal& signal() const { return signal_; }

private:
    std::recursive_mutex mutex_;
    WakeSignal signal_;
    std::atomic<std::thread::id> waiter_;
};
