#pragma once
// Time sources shared by every subsystem.

#include <cstdint>

// Monotonic milliseconds as a wrapping 32-bit value: compare with unsigned differences.
uint32_t millisecondClock();

// Whole seconds since this process started (wall time, not processor time).
int64_t processUptimeSeconds();
