#include "text/Format.h"

#include <cstdio>

namespace {

Str formatPair(const char* format, int32_t first, int32_t second) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, first, second);
    return Str(buffer);
}

}  // namespace

Str formatDuration(int32_t seconds) {
    const int32_t days = seconds / 86400;
    const int32_t hours = (seconds % 86400) / 3600;
    const int32_t minutes = (seconds % 3600) / 60;
    if (days != 0) return formatPair("%d days %d hours", days, hours);
    if (hours != 0) return formatPair("%d hours %d min", hours, minutes);
    return formatPair("%d min %d sec", minutes, seconds % 60);
}

Str formatSize(uint32_t bytes) {
    const auto megabytes = static_cast<int32_t>(bytes >> 20);
    const auto kilobytes = static_cast<int32_t>((bytes >> 10) & 1023);
    Str text;
    if (megabytes != 0) text.appendInt(megabytes).append(" MB ");
    if (kilobytes != 0) text.appendInt(kilobytes).append(" KB ");
    if (megabytes != 0) {
        text.erase(1, text.size() - 1);
    } else {
        text.appendInt(static_cast<int32_t>(bytes & 1023)).append(" bytes");
    }
    return text;
}
