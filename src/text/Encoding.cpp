#include "text/Encoding.h"

namespace {

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The continuation byte at `index`, or -1 when it is missing or not a continuation.
int continuationAt(const char* lead, const char* end, int index) {
    if (lead + index >= end) return -1;
    const auto byte = static_cast<unsigned char>(lead[index]);
    return isContinuation(byte) ? (byte & 0x3F) : -1;
}

}  // namespace

int encodeUtf8(uint32_t c, char* out) {
    auto put = [out](int i, uint32_t byte) { out[i] = static_cast<char>(byte); };
    if (c < 0x80) {
        put(0, c);
        return 1;
    }
    if (c < 0x800) {
        put(0, 0xC0 + (c >> 6));
        put(1, 0x80 + (c & 0x3F));
        return 2;
    }
    if (c > 0x10FFFF) c = 0xFFFF;
    if (c < 0x10000) {
        put(0, 0xE0 + (c >> 12));
        put(1, 0x80 + ((c >> 6) & 0x3F));
        put(2, 0x80 + (c & 0x3F));
        return 3;
    }
    put(0, 0xF0 + (c >> 18));
    put(1, 0x80 + ((c >> 12) & 0x3F));
    put(2, 0x80 + ((c >> 6) & 0x3F));
    put(3, 0x80 + (c & 0x3F));
    return 4;
}

uint32_t decodeUtf8(const char*& cursor, const char* end) {
    const auto b0 = static_cast<unsigned char>(cursor[0]);
    if (b0 < 0x80) {
        ++cursor;
        return b0;
    }
    if (isContinuation(b0)) return kDecodeFailed;
    const int b1 = continuationAt(cursor, end, 1);
    if (b1 < 0) return kDecodeFailed;
    if (b0 < 0xE0) {
        const uint32_t value = (b0 & 0x1Fu) << 6 | static_cast<uint32_t>(b1);
        if (value < 0x80) return kDecodeFailed;
        cursor += 2;
        return value;
    }
    const int b2 = continuationAt(cursor, end, 2);
    if (b2 < 0) return kDecodeFailed;
    if (b0 < 0xF0) {
        const uint32_t value = (b0 & 0x0Fu) << 12 | static_cast<uint32_t>(b1) << 6 |
                               static_cast<uint32_t>(b2);
        if (value < 0x800) return kDecodeFailed;
        cursor += 3;
        return value;
    }
    const int b3 = continuationAt(cursor, end, 3);
    if (b3 < 0) return kDecodeFailed;
    const uint32_t value = (b0 & 0x07u) << 18 | static_cast<uint32_t>(b1) << 12 |
                           static_cast<uint32_t>(b2) << 6 | static_cast<uint32_t>(b3);
    if (value <= 0xFFFF) return kDecodeFailed;
    cursor += 4;
    return value;
}

size_t utf8LengthOfUtf16(std::u16string_view utf16) {
    size_t length = 0;
    for (const char16_t unit : utf16) length += unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3;
    return length;
}

size_t utf8LengthOfLatin1(std::string_view latin1) {
    size_t length = 0;
    for (const char byte : latin1) length += static_cast<unsigned char>(byte) < 0x80 ? 1 : 2;
    return length;
}

std::string utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf8LengthOfUtf16(utf16));
    char bytes[4];
    for (const char16_t unit : utf16) out.append(bytes, encodeUtf8(unit, bytes));
    return out;
}

std::string latin1ToUtf8(std::string_view latin1) {
    std::string out;
    out.reserve(utf8LengthOfLatin1(latin1));
    char bytes[4];
    for (const char byte : latin1) {
        out.append(bytes, encodeUtf8(static_cast<unsigned char>(byte), bytes));
    }
    return out;
}

std::u16string utf8ToUtf16(std::string_view utf8, size_t capacity) {
    std::u16string out;
    const char* cursor = utf8.data();
    const char* const end = cursor + utf8.size();
    while (cursor < end && *cursor != '\0' && out.size() + 1 < capacity) {
        // A failed decode leaves the cursor in place; U+FFFF itself decodes and moves it.
        const char* const lead = cursor;
        uint32_t unit = decodeUtf8(cursor, end);
        if (cursor == lead) unit = static_cast<unsigned char>(*cursor++);
        out += static_cast<char16_t>(unit & 0xFFFF);
    }
    return out;
}

bool isValidUtf8(std::string_view text) {
    const char* cursor = text.data();
    const char* const end = cursor + text.size();
    while (cursor < end) {
        const char* before = cursor;
        decodeUtf8(cursor, end);
        if (cursor == before) return false;
    }
    return true;
}
