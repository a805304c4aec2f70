#pragma once
// The bytes that frame every answer the server sends (HTTP/1.0, one answer per connection).

#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>

inline constexpr std::string_view kNotFoundAnswer =
    "HTTP/1.0 404 Not Found\r\nContent-Length: 15\r\n\r\n404 Not Found\r\n";
inline constexpr std::string_view kForbiddenAnswer =
    "HTTP/1.0 403 Forbidden\r\nContent-Length: 15\r\n\r\n403 Forbidden\r\n";

// A UTC time in the C library's asctime form, line feed included: "Thu Jun 26 15:58:37 2008\n".
std::string asctimeLine(std::time_t when);

// The header of a 200 answer, up to and including its blank line. Cacheable answers carry a
// far-future Expires line; the others forbid caching.
std::string okHeader(std::time_t now, std::string_view contentType, size_t bodyLength, bool cacheable);
