#include <gtest/gtest.h>

#include "text/Encoding.h"
#include "text/Str.h"
#include "text/WideText.h"

namespace {

std::string encoded(uint32_t codePoint) {
    char bytes[4];
    return std::string(bytes, encodeUtf8(codePoint, bytes));
}

}  // namespace

TEST(Encoding, EncodesEveryLength) {
    EXPECT_EQ(encoded(0x41), "A");
    EXPECT_EQ(encoded(0xE9), "\xC3\xA9");
    EXPECT_EQ(encoded(0x20AC), "\xE2\x82\xAC");
    EXPECT_EQ(encoded(0x1F600), "\xF0\x9F\x98\x80");
    EXPECT_EQ(encoded(0x110000), "\xEF\xBF\xBF");
}

TEST(Encoding, DecodeRefusesMalformedSequencesWithoutMoving) {
    struct Case {
        std::string bytes;
        uint32_t value;
        size_t advance;
    };
    const Case cases[] = {
        {"\xC3\xA9", 0xE9, 2},        {"\xC0\x80", kDecodeFailed, 0},
        {"\xE0\xA0\x80", 0x800, 3},   {"\xE0\x9F\xBF", kDecodeFailed, 0},
        {"\x80", kDecodeFailed, 0},   {"\xC3", kDecodeFailed, 0},
        {"\xF0\x9F\x98\x80", 0x1F600, 4}, {"\xF0\x8F\xBF\xBF", kDecodeFailed, 0},
    };
    for (const Case& c : cases) {
        const char* cursor = c.bytes.data();
        EXPECT_EQ(decodeUtf8(cursor, c.bytes.data() + c.bytes.size()), c.value) << c.bytes;
        EXPECT_EQ(static_cast<size_t>(cursor - c.bytes.data()), c.advance) << c.bytes;
    }
}

TEST(Encoding, Utf16RoundTripsLoneSurrogatesAndDegradesLatin1) {
    Str name;
    name.assignUtf16(u"\xD83D\xDE00");
    EXPECT_EQ(name, "\xED\xA0\xBD\xED\xB8\x80");
    EXPECT_EQ(utf8ToUtf16(name.view(), 64), u"\xD83D\xDE00");

    EXPECT_EQ(utf8ToUtf16("A\xE9" "B", 64), u"A\u00E9B");
    EXPECT_EQ(utf8ToUtf16("abcdefghij", 4), u"abc");
    EXPECT_EQ(utf8ToUtf16("\xEF\xBF\xBFx", 64), u"\uFFFFx");
    EXPECT_EQ(WideText("caf\xC3\xA9").view(), u"caf\u00E9");

    Str latin;
    latin.assignLatin1("\xFF");
    EXPECT_EQ(latin, "\xC3\xBF");
    EXPECT_EQ(utf8LengthOfLatin1("a\xFF"), 3u);
    EXPECT_EQ(utf8LengthOfUtf16(u"a\u00E9\u20AC"), 6u);
}
