#pragma once
// The bytes that frame every answer the server sends (HTTP/1.0, one answer per connection).

#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>

inline constexpr std::string_view kNotFoundAnswer =
    "HTTP/1.0 404 Not Found\r\nContent-Length: 15\r\nX-Content-Type-Options: nosniff\r\n\r\n"
    "404 Not Found\r\n";
inline constexpr std::string_view kForbiddenAnswer =
    "HTTP/1.0 403 Forbidden\r\nContent-Length: 15\r\nX-Content-Type-Options: nosniff\r\n\r\n"
    "403 Forbidden\r\n";

// Pages may run and style with nothing but the player's own files; the fragments' own style
// attributes are allowed, scripts only from files.
inline constexpr std::string_view kContentSecurityPolicy =
    "default-src 'self'; script-src 'self'; style-src 'self' 'unsafe-inline'; img-src 'self' data:; "
    "object-src 'none'; base-uri 'self'; form-action 'self'; frame-ancestors 'self'";

// A UTC time in the C library's asctime form, without a line end: "Thu Jun 26 15:58:37 2008".
std::string asctimeText(std::time_t when);
// A UTC time as HTTP dates it: "Sun, 06 Nov 1994 08:49:37 GMT"; empty when it cannot be written.
std::string httpDate(std::time_t when);

// The header of a 200 answer, up to and including its blank line. Text types name their
// charset, images do not; HTML carries the page policy. Cacheable answers carry the Expires
// line of files; the others forbid caching. `moreLines` (each ending in CR LF) come last.
std::string okHeader(std::time_t now, std::string_view contentType, size_t bodyLength, bool cacheable,
                     std::string_view moreLines = {});
// The whole 304 answer: the browser's copy is still good.
std::string notModifiedAnswer(std::time_t now, std::string_view moreLines);
