#include "net/HttpUrl.h"

#include <charconv>

namespace {

constexpr std::string_view kScheme = "http://";

std::optional<int> parsePort(std::string_view digits) {
    int port = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
    if (error != std::errc() || end != digits.data() + digits.size() || port < 1 || port > 65535) {
        return std::nullopt;
    }
    return port;
}

}  // namespace

std::optional<HttpUrl> HttpUrl::parse(std::string_view url) {
    if (!url.starts_with(kScheme)) return std::nullopt;
    if (url.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) {
        return std::nullopt;
    }
    url.remove_prefix(kScheme.size());
    const size_t slash = url.find('/');
    const std::string_view authority = url.substr(0, slash);
    HttpUrl result;
    result.authority = authority;
    result.host = authority;
    if (slash != std::string_view::npos) result.path = url.substr(slash);
    const size_t colon = authority.find(':');
    if (colon != std::string_view::npos) {
        const std::optional<int> port = parsePort(authority.substr(colon + 1));
        if (!port) return std::nullopt;
        result.host = authority.substr(0, colon);
        result.port = *port;
    }
    return result;
}
