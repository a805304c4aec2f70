#pragma once
// A recursive mutex that wakes one waiting thread whenever another thread releases it: the
// waiter (the main loop) sleeps in poll() on signal() and learns that something may have
// changed under the lock, without looking at the clock. A reader thread (the desktop bus)
// that only looks under the lock can sleep on changes() the same way.

#include <atomic>
#include <mutex>
#include <thread>

#include "platform/WakeSignal.h"

class WakingMutex {
public:
    void lock() { mutex_.lock(); }
    bool try_lock() { return mutex_.try_lock(); }
    // Any thread but the waiter's and the reader's notifies the signal after releasing;
    // once a reader is set, any thread but the reader's notifies changes().
    void unlock();

    // The waiter's releases wake nobody. Until it is set, every release notifies.
    void setWaiter(std::thread::id waiter) { waiter_ = waiter; }
    const WakeSignal& signal() const { return signal_; }
    // The reader's releases wake nobody, as it changes nothing.
    void setReader(std::thread::id reader) { reader_ = reader; }
    const WakeSignal& changes() const { return changes_; }

private:
    std::recursive_mutex mutex_;
    WakeSignal signal_;
    WakeSignal changes_;
    std::atomic<std::thread::id> waiter_;
    std::atomic<std::thread::id> reader_;
};
