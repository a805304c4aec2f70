#include "audio/sound/CpuMeter.h"

#include <sys/resource.h>

#include <chrono>

namespace {

int64_t cpuMicroseconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto micros = [](const timeval& time) { return int64_t{time.tv_sec} * 1000000 + time.tv_usec; };
    return micros(usage.ru_utime) + micros(usage.ru_stime);
}

int64_t wallMicroseconds() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

CpuMeter::CpuMeter() : lastCpuMicroseconds_(cpuMicroseconds()), lastWallMicroseconds_(wallMicroseconds()) {}

float CpuMeter::sample() {
    const int64_t cpu = cpuMicroseconds();
    const int64_t wall = wallMicroseconds();
    const int64_t elapsed = wall - lastWallMicroseconds_;
    const float usage =
        elapsed > 0 ? 100.0f * static_cast<float>(cpu - lastCpuMicroseconds_) / static_cast<float>(elapsed) : 0.0f;
    lastCpuMicroseconds_ = cpu;
    lastWallMicroseconds_ = wall;
    return usage;
}
