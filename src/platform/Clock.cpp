#include "platform/Clock.h"

#include <chrono>

uint32_t millisecondClock() {
    using namespace std::chrono;
    const auto now = duration_cast<milliseconds>(steady_clock::now().time_since_epoch());
    return static_cast<uint32_t>(now.count());
}

namespace {

// Taken during static initialisation, as the process starts.
const auto processStart = std::chrono::steady_clock::now();

}  // namespace

int64_t processUptimeSeconds() {
    using namespace std::chrono;
    return duration_cast<seconds>(steady_clock::now() - processStart).count();
}
