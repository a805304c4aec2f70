#pragma once
// The parts of an "http://" URL that a request needs.

#include <optional>
#include <string_view>

#include "text/Str.h"

struct HttpUrl {
    Str authority;  // host, with ":port" when the URL named one: the Host line's text
    Str host;
    int port = 80;
    Str path;  // from the first '/' after the host; empty when there is none

    // Accepts only URLs starting with "http://" (case-sensitive) whose port, when given, is
    // 1-65535 and which carry no CR, LF or NUL (they would split the request).
    static std::optional<HttpUrl> parse(std::string_view url);
};
