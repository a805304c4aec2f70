#include "server/ResponseFraming.h"

#include <array>
#include <cstdio>

namespace {

constexpr std::array<const char*, 7> kWeekdays{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<const char*, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

std::string asctimeLine(std::time_t when) {
    std::tm utc{};
    if (!gmtime_r(&when, &utc)) {
        const std::time_t epoch = 0;
        gmtime_r(&epoch, &utc);
    }
    std::array<char, 64> text{};
    // Own names rather than strftime: the locale must not change the header.
    std::snprintf(text.data(), text.size(), "%s %s%3d %02d:%02d:%02d %d\n", kWeekdays[utc.tm_wday],
                  kMonths[utc.tm_mon], utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  utc.tm_year + 1900);
    return text.data();
}

std::string okHeader(std::time_t now, std::string_view contentType, size_t bodyLength, bool cacheable) {
    std::string header = "HTTP/1.0 200 OK\r\nDate: ";
    header += asctimeLine(now);
    header += "Content-Type: ";
    header += contentType;
    header += "; charset=utf-8;\r\nContent-Length: ";
    header += std::to_string(bodyLength);
    header += "\r\n";
    if (cacheable) {
        header += "Expires: Mon, 26 Jul 2020 05:00:00 GMT\r\n";
    } else {
        header +=
            "Expires: Mon, 26 Jul 1997 05:00:00 GMT\r\n"
            "Cache-Control: no-cache, must-revalidate\r\n"
            "Pragma: no-cache\r\n";
    }
    header += "\r\n";
    return header;
}
