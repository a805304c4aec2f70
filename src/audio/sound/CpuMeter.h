#pragma once
// The process's CPU time over wall time, in percent of one core, between two samples.

#include <cstdint>

class CpuMeter {
public:
    CpuMeter();
    // The usage since the previous sample (or since construction).
    float sample();

private:
    int64_t lastCpuMicroseconds_;
    int64_t lastWallMicroseconds_;
};
