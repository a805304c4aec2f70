#include "server/ResponseFraming.h"

#include <array>
#include <cstdio>

namespace {

constexpr std::array<const char*, 7> kWeekdays{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<const char*, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

std::string asctimeText(std::time_t when) {
    std::tm utc{};
    if (!gmtime_r(&when, &utc)) {
        const std::time_t epoch = 0;
        gmtime_r(&epoch, &utc);
    }
    std::array<char, 64> text{};
    // Own names rather than strftime: the locale must not change the header.
    std::snprintf(text.data(), text.size(), "%s %s%3d %02d:%02d:%02d %d", kWeekdays[utc.tm_wday],
                  kMonths[utc.tm_mon], utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  utc.tm_year + 1900);
    return text.data();
}

std::string httpDate(std::time_t when) {
    std::tm utc{};
    if (!gmtime_r(&when, &utc)) return {};
    std::array<char, 40> text{};
    std::snprintf(text.data(), text.size(), "%s, %02d %s %d %02d:%02d:%02d GMT", kWeekdays[utc.tm_wday], utc.tm_mday,
                  kMonths[utc.tm_mon], utc.tm_year + 1900, utc.tm_hour, utc.tm_min, utc.tm_sec);
    return text.data();
}

std::string okHeader(std::time_t now, std::string_view contentType, size_t bodyLength, bool cacheable,
                     std::string_view moreLines) {
    std::string header = "HTTP/1.0 200 OK\r\nDate: ";
    header += asctimeText(now);
    header += "\r\nContent-Type: ";
    header += contentType;
    header += contentType.starts_with("image/") ? "\r\n" : "; charset=utf-8;\r\n";
    header += "Content-Length: ";
    header += std::to_string(bodyLength);
    header += "\r\nX-Content-Type-Options: nosniff\r\n";
    if (contentType == "text/html") {
        header += "Content-Security-Policy: ";
        header += kContentSecurityPolicy;
        header += "\r\n";
    }
    if (cacheable) {
        header += "Expires: Mon, 26 Jul 2020 05:00:00 GMT\r\n";
    } else {
        header +=
            "Expires: Mon, 26 Jul 1997 05:00:00 GMT\r\n"
            "Cache-Control: no-cache, must-revalidate\r\n"
            "Pragma: no-cache\r\n";
    }
    header += moreLines;
    header += "\r\n";
    return header;
}

std::string notModifiedAnswer(std::time_t now, std::string_view moreLines) {
    std::string answer = "HTTP/1.0 304 Not Modified\r\nDate: ";
    answer += asctimeText(now);
    answer += "\r\nX-Content-Type-Options: nosniff\r\n";
    answer += moreLines;
    answer += "\r\n";
    return answer;
}
