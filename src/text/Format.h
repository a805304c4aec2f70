#pragma once
// Human-readable durations and sizes for the info pages and list footers.

#include <cstdint>

#include "text/Str.h"

Str formatDuration(int32_t seconds);  // "1 days 0 hours", "1 hours 0 min", "0 min 59 sec"
Str formatSize(uint32_t bytes);       // "3 MB 1 KB", "1 KB 512 bytes", "0 bytes"
