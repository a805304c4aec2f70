#include "server/RequestOrigin.h"

#include "net/TCPSocket.h"
#include "text/TextSearch.h"

namespace {

constexpr std::string_view kHeadersEnd = "\r\n\r\n";

struct Authority {
    std::string_view host;  // without brackets
    std::string_view port;  // empty when not given
};

// "host", "host:port", "[v6]" or "[v6]:port".
Authority splitAuthority(std::string_view text) {
    if (text.starts_with('[')) {
        const size_t close = text.find(']');
        if (close == std::string_view::npos) return {text, {}};
        const std::string_view rest = text.substr(close + 1);
        return {text.substr(1, close - 1), rest.starts_with(':') ? rest.substr(1) : std::string_view{}};
    }
    const size_t colon = text.find(':');
    // More than one colon: a bare IPv6 literal, no port.
    if (colon == std::string_view::npos || text.find(':', colon + 1) != std::string_view::npos) return {text, {}};
    return {text.substr(0, colon), text.substr(colon + 1)};
}

std::string_view portOrDefault(std::string_view port, std::string_view fallback) {
    return port.empty() ? fallback : port;
}

// The Origin names the scheme, host and port the request went to (plain HTTP here).
bool originMatchesHost(std::string_view origin, std::optional<std::string_view> host) {
    constexpr std::string_view kScheme = "http://";
    if (!host || origin.size() < kScheme.size() || !equalNoCase(origin.substr(0, kScheme.size()), kScheme)) {
        return false;
    }
    const Authority from = splitAuthority(origin.substr(kScheme.size()));
    const Authority to = splitAuthority(*host);
    return equalNoCase(from.host, to.host) && portOrDefault(from.port, "80") == portOrDefault(to.port, "80");
}

// A second start's bare "GET /word" has no headers at all; anything else without the end of
// its headers was cut, and what would refuse it may be in the part that never came.
bool cutShort(std::string_view headerBlock) {
    if (headerBlock.ends_with(kHeadersEnd)) return false;
    return headerBlock.find_first_of("\r\n") != std::string_view::npos || headerBlock.size() >= TCPSocket::kReceiveLimit;
}

}  // namespace

std::optional<std::string_view> headerValue(std::string_view headerBlock, std::string_view name) {
    // The request line comes first and is no header.
    for (size_t line = nextLine(headerBlock); line < headerBlock.size(); line += nextLine(headerBlock.substr(line))) {
        const std::string_view text = headerBlock.substr(line, lineEnd(headerBlock.substr(line)));
        if (text.empty()) break;
        const size_t colon = text.find(':');
        if (colon != std::string_view::npos && equalNoCase(text.substr(0, colon), name)) {
            return trimBlanks(text.substr(colon + 1));
        }
    }
    return std::nullopt;
}

std::optional<std::string> foreignHostReason(std::string_view headerBlock,
                                             const std::function<bool(std::string_view)>& isOwnHost) {
    const std::optional<std::string_view> host = headerValue(headerBlock, "Host");
    if (!host || isOwnHost(splitAuthority(*host).host)) return std::nullopt;
    return "the Host \"" + std::string(*host) + "\" does not name this machine";
}

std::optional<std::string> crossSiteReason(std::string_view headerBlock) {
    if (cutShort(headerBlock)) return "its headers were cut short";
    if (const auto site = headerValue(headerBlock, "Sec-Fetch-Site")) {
        if (!equalNoCase(*site, "same-origin") && !equalNoCase(*site, "none")) {
            return "another site's page asked (Sec-Fetch-Site: " + std::string(*site) + ")";
        }
    }
    if (const auto origin = headerValue(headerBlock, "Origin")) {
        if (!originMatchesHost(*origin, headerValue(headerBlock, "Host"))) {
            return "another site's page asked (Origin: " + std::string(*origin) + ")";
        }
    }
    return std::nullopt;
}
