#include "text/TextSearch.h"

#include <algorithm>
#include <climits>

#include "text/Decimal.h"

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

char folded(char c) { return static_cast<char>(c | 0x20); }

bool sameFolded(char a, char b) { return folded(a) == folded(b); }

bool looseEqual(char needle, char hay) {
    return sameFolded(needle, hay) || (needle == ' ' && hay == '_');
}

template <typename Equal>
size_t findWith(std::string_view haystack, std::string_view needle, Equal equal) {
    if (needle.size() > haystack.size()) return std::string_view::npos;
    for (size_t start = 0; start + needle.size() <= haystack.size(); ++start) {
        size_t i = 0;
        while (i < needle.size() && equal(needle[i], haystack[start + i])) ++i;
        if (i == needle.size()) return start;
    }
    return std::string_view::npos;
}

std::string_view upToNul(std::string_view text) { return text.substr(0, text.find('\0')); }

}  // namespace

std::string percentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() &&
            hexDigit(text[i + 1]) >= 0 && hexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string_view fileNameOf(std::string_view path) {
    const size_t separator = path.find_last_of("/\\");
    if (separator == std::string_view::npos || separator == 0) return path;
    return path.substr(separator + 1);
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

size_t lineEnd(std::string_view text) {
    const size_t end = text.find_first_of("\r\n");
    return end == std::string_view::npos ? text.size() : end;
}

size_t nextLine(std::string_view text) {
    size_t position = lineEnd(text);
    if (position < text.size() && text[position] == '\r' && position + 1 < text.size() &&
        text[position + 1] == '\n') {
        return position + 2;
    }
    if (position < text.size() && text[position] == '\n') ++position;
    return position;
}

bool equalNoCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) { return lower(x) == lower(y); });
}

size_t findNoCase(std::string_view haystack, std::string_view needle) {
    return findWith(haystack, needle, sameFolded);
}

size_t findLoose(std::string_view needle, std::string_view haystack) {
    if (haystack.empty()) return std::string_view::npos;
    return findWith(haystack, needle, [](char n, char h) { return looseEqual(n, h); });
}

size_t findBounded(size_t limit, std::string_view haystack, std::string_view needle) {
    haystack = upToNul(haystack).substr(0, limit);
    return haystack.find(needle);
}

size_t findNoCaseBounded(size_t limit, std::string_view haystack, std::string_view needle) {
    return findNoCase(upToNul(haystack).substr(0, limit), needle);
}

bool wildcardMatch(std::string_view pattern, std::string_view text) {
    size_t p = 0;
    size_t t = 0;
    while (t < text.size() && (p == pattern.size() || pattern[p] != '*')) {
        if (p == pattern.size() || (!sameFolded(pattern[p], text[t]) && pattern[p] != '?')) {
            return false;
        }
        ++p;
        ++t;
    }
    size_t resumePattern = 0;
    size_t resumeText = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            if (++p == pattern.size()) return true;
            resumePattern = p;
            resumeText = t + 1;
        } else if (p < pattern.size() && (sameFolded(pattern[p], text[t]) || pattern[p] == '?')) {
            ++p;
            ++t;
        } else {
            p = resumePattern;
            t = resumeText++;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

int hexToInt(std::string_view text) {
    unsigned value = 0;
    for (const char c : text) {
        const int digit = hexDigit(c);
        if (digit < 0) break;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return static_cast<int>(value);
}

int minSecToSeconds(std::string_view text) {
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos) return 0;
    // A stored TIME is outside input, so a huge one saturates instead of overflowing.
    const long long seconds = static_cast<long long>(decimalValue(text.substr(0, colon))) * 60 +
                              decimalValue(text.substr(colon + 1));
    return static_cast<int>(std::clamp<long long>(seconds, INT_MIN, INT_MAX));
}
