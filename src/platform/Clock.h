#pragma once
// Time sources shared by every subsystem.

#include <cstdint>

// Monotonic milliseconds as a wrapping 32-bit value: compare with unsigned differences.
uint32_t millisecondClock();
