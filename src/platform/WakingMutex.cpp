#include "platform/WakingMutex.h"

void WakingMutex::unlock() {
    const std::thread::id self = std::this_thread::get_id();
    const std::thread::id reader = reader_.load();
    mutex_.unlock();
    if (self == reader) return;
    if (self != waiter_.load()) signal_.notify();
    if (reader != std::thread::id()) changes_.notify();
}
