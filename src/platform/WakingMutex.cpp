#include "platform/WakingMutex.h"

void WakingMutex::unlock() {
    const bool other = std::this_thread::get_id() != waiter_.load();
    mutex_.unlock();
    if (other) signal_.notify();
}
