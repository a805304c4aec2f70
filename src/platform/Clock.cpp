#include "platform/Clock.h"

#include <chrono>

uint32_t millisecondClock() {
    using namespace std::chrono;
    const auto now = duration_cast<milliseconds>(steady_clock::now().time_since_epoch());
    return static_cast<uint32_t>(now.count());
}
