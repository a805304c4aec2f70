#include <gtest/gtest.h>

#include "text/Decimal.h"
#include "text/Format.h"
#include "text/TextSearch.h"

TEST(TextSearch, PercentDecodeNeverReadsPastTheEnd) {
    EXPECT_EQ(percentDecode("50%25 a%2fb+c"), "50% a/b+c");
    EXPECT_EQ(percentDecode("100%"), "100%");
    EXPECT_EQ(percentDecode("%4"), "%4");
    EXPECT_EQ(percentDecode("%zz%41"), "%zzA");
}

TEST(TextSearch, PathsAndLines) {
    EXPECT_EQ(fileNameOf("/music/a/b.mp3"), "b.mp3");
    EXPECT_EQ(fileNameOf("/top"), "/top");
    EXPECT_EQ(fileNameOf("plain"), "plain");
    EXPECT_EQ(lineEnd("ab\r\ncd"), 2u);
    EXPECT_EQ(nextLine("ab\r\ncd"), 4u);
    EXPECT_EQ(nextLine("ab\ncd"), 3u);
    EXPECT_EQ(nextLine("ab\rcd"), 2u);
    EXPECT_EQ(nextLine("ab"), 2u);
}

TEST(TextSearch, FindingAndMatching) {
    EXPECT_EQ(findNoCase("Hello World", "WORLD"), 6u);
    EXPECT_EQ(findNoCase("Hello", "xyz"), std::string_view::npos);
    EXPECT_EQ(findLoose("big band", "My_Big_Band.mp3"), 3u);
    EXPECT_EQ(findLoose("a", ""), std::string_view::npos);
    EXPECT_EQ(findBounded(6, "abcdefgh", "def"), 3u);
    EXPECT_EQ(findBounded(5, "abcdefgh", "def"), std::string_view::npos);
    EXPECT_EQ(findNoCaseBounded(8, "abcDEFgh", "def"), 3u);

    EXPECT_TRUE(wildcardMatch("*.M3U", "list.m3u"));
    EXPECT_TRUE(wildcardMatch("EQ_*_GAIN", "EQ_3_GAIN"));
    EXPECT_FALSE(wildcardMatch("a?c", "ac"));
    EXPECT_TRUE(wildcardMatch("a*b*c", "axxbyybzc"));
    EXPECT_FALSE(wildcardMatch("abc", "abc "));
    EXPECT_FALSE(wildcardMatch("ab", "abc"));
    EXPECT_TRUE(wildcardMatch("**", ""));
}

TEST(TextSearch, NumbersAndFormatting) {
    EXPECT_EQ(hexToInt("1a3F\r\n"), 6719);
    EXPECT_EQ(hexToInt(""), 0);
    EXPECT_EQ(minSecToSeconds("3:05"), 185);
    EXPECT_EQ(minSecToSeconds("185"), 0);
    EXPECT_EQ(minSecToSeconds(" 1:-5"), 55);
    EXPECT_EQ(minSecToSeconds("35791394:07"), 2147483647);
    EXPECT_EQ(minSecToSeconds("35791394:08"), 2147483647);
    EXPECT_EQ(minSecToSeconds("99999999999999:99999999999999"), 2147483647);
    EXPECT_EQ(minSecToSeconds("-35791395:00"), -2147483647 - 1);
    EXPECT_EQ(decimalValue("  -12abc"), -12);
    EXPECT_EQ(decimalValue("x1"), 0);
    EXPECT_EQ(decimalValue("99999999999999999999"), 2147483647);
    EXPECT_EQ(decimalValue("-99999999999999999999"), -2147483647 - 1);

    EXPECT_EQ(formatDuration(59), "0 min 59 sec");
    EXPECT_EQ(formatDuration(3600), "1 hours 0 min");
    EXPECT_EQ(formatDuration(90061), "1 days 1 hours");
    EXPECT_EQ(formatDuration(86400), "1 days 0 hours");

    EXPECT_EQ(formatSize(0), "0 bytes");
    EXPECT_EQ(formatSize(1024), "1 KB 0 bytes");
    EXPECT_EQ(formatSize(1536), "1 KB 512 bytes");
    EXPECT_EQ(formatSize(3145728), "3 MB");
    EXPECT_EQ(formatSize(3146752), "3 MB 1 KB");
}
