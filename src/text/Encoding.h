#pragma once
// Converters between UTF-8, UTF-16 (unit by unit, so lone surrogates survive a round
// trip) and ISO-8859-1. They never fail: bad UTF-8 degrades byte by byte to Latin-1.

#include <cstdint>
#include <string>
#include <string_view>

inline constexpr uint32_t kDecodeFailed = 0xFFFF;

// Writes 1 to 4 bytes to `out` and returns how many; above U+10FFFF writes U+FFFF.
int encodeUtf8(uint32_t codePoint, char* out);
// Decodes one code point at `cursor` and advances it; on failure returns kDecodeFailed
// and leaves the cursor where it was.
uint32_t decodeUtf8(const char*& cursor, const char* end);
// True when the bytes are well-formed UTF-8.
bool isValidUtf8(std::string_view text);

size_t utf8LengthOfUtf16(std::u16string_view utf16);
size_t utf8LengthOfLatin1(std::string_view latin1);
std::string utf16ToUtf8(std::u16string_view utf16);
std::string latin1ToUtf8(std::string_view latin1);
// At most capacity - 1 units; the rest of a longer text is dropped.
std::u16string utf8ToUtf16(std::string_view utf8, size_t capacity);
