#include "text/Str.h"

#include <algorithm>
#include <cstdio>

#include "text/Encoding.h"

namespace {

bool isBlank(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }

bool isUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           c == '-' || c == '.' || c == '_';
}

}  // namespace

Str& Str::assign(std::string_view text) {
    text_.assign(text);
    return *this;
}

Str& Str::assignPrefix(int count, std::string_view text) {
    if (count >= 0 && static_cast<size_t>(count) < text.size()) text = text.substr(0, count);
    return assign(text);
}

Str& Str::append(std::string_view text) {
    text_.append(text);
    return *this;
}

Str& Str::appendInt(int32_t number) {
    text_.append(std::to_string(number));
    return *this;
}

Str& Str::appendFloat(float number) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%f", static_cast<double>(number));
    text_.append(buffer);
    return *this;
}

Str Str::concat(const Str& first, std::string_view text) {
    Str result(first);
    result.append(text);
    return result;
}

void Str::insert(size_t position, std::string_view text, int count) {
    if (count >= 0 && static_cast<size_t>(count) < text.size()) text = text.substr(0, count);
    text_.insert(std::min(position, text_.size()), text);
}

void Str::erase(int count, size_t position) {
    if (position >= text_.size()) return;
    if (count < 0) {
        text_.resize(position);
    } else {
        text_.erase(position, static_cast<size_t>(count));
    }
}

void Str::toUpper() {
    for (char& c : text_) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
}

void Str::trim() {
    size_t first = 0;
    while (first < text_.size() && isBlank(text_[first])) ++first;
    size_t last = text_.size();
    while (last > first && isBlank(text_[last - 1])) --last;
    text_ = text_.substr(first, last - first);
}

void Str::stripQuotes() {
    if (!text_.empty() && text_.back() == '"') text_.pop_back();
    if (!text_.empty() && text_.front() == '"') text_.erase(0, 1);
}

void Str::quoteIfSpaces() {
    if (!text_.empty() && text_.front() == '"') return;
    if (text_.find(' ') == std::string::npos) return;
    text_ = '"' + text_ + '"';
}

void Str::dropTrailingSlash() {
    if (!text_.empty() && (text_.back() == '/' || text_.back() == '\\')) text_.pop_back();
}

void Str::percentEncode() {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text_.size());
    for (const char c : text_) {
        const auto byte = static_cast<unsigned char>(c);
        if (isUnreserved(byte)) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 15];
        }
    }
    text_ = std::move(encoded);
}

void Str::assignLatin1(std::string_view latin1) { text_ = latin1ToUtf8(latin1); }

void Str::assignUtf16(std::u16string_view utf16) { text_ = utf16ToUtf8(utf16); }
