#include <gtest/gtest.h>

#include "text/ByteBuffer.h"
#include "text/Str.h"
#include "text/StrList.h"

TEST(Str, EditingOperations) {
    Str quoted("\"abc\"");
    quoted.stripQuotes();
    EXPECT_EQ(quoted, "abc");
    Str leading("\"abc");
    leading.stripQuotes();
    EXPECT_EQ(leading, "abc");
    Str lone("\"");
    lone.stripQuotes();
    EXPECT_EQ(lone, "");

    Str path("/My Music/a.mp3");
    path.quoteIfSpaces();
    EXPECT_EQ(path, "\"/My Music/a.mp3\"");
    path.quoteIfSpaces();
    EXPECT_EQ(path, "\"/My Music/a.mp3\"");

    Str blanks("  \t x y \r\n");
    blanks.trim();
    EXPECT_EQ(blanks, "x y");
    Str empty;
    empty.trim();
    empty.dropTrailingSlash();
    empty.stripQuotes();
    EXPECT_TRUE(empty.empty());

    Str folder("/music/");
    folder.dropTrailingSlash();
    folder.dropTrailingSlash();
    EXPECT_EQ(folder, "/music");

    Str mixed("Rock'n'Roll äé");
    mixed.toUpper();
    EXPECT_EQ(mixed, "ROCK'N'ROLL äé");
}

TEST(Str, BuildingAndNumbers) {
    Str text;
    text.assignPrefix(3, "abcdef").append("-").appendInt(-42).append(" ").appendFloat(0.5f);
    EXPECT_EQ(text, "abc--42 0.500000");
    EXPECT_EQ(Str().assignPrefix(-1, "whole"), "whole");
    EXPECT_EQ(Str::concat(Str("a"), "b"), "ab");

    Str edit("hello world");
    edit.insert(5, ",!!", 1);
    EXPECT_EQ(edit, "hello, world");
    edit.erase(2, 5);
    EXPECT_EQ(edit, "helloworld");
    edit.erase(-1, 5);
    EXPECT_EQ(edit, "hello");
}

TEST(Str, PercentEncodeKeepsOnlyUnreservedBytes) {
    Str text("a b\n\xC3-._~");
    text.percentEncode();
    EXPECT_EQ(text, "a%20b%0A%C3-._%7E");
}

TEST(StrList, SplitDropsEmptyAndBlankPieces) {
    StrList list;
    list.split(" a, ,b,", ',', true);
    ASSERT_EQ(list.count(), 2u);
    EXPECT_EQ(list.at(0), "a");
    EXPECT_EQ(list.at(1), "b");
    list.split("", ',', true);
    EXPECT_EQ(list.count(), 0u);
    list.split(",,,", ',', false);
    EXPECT_EQ(list.count(), 0u);
    list.split(" x , y", ',', false);
    ASSERT_EQ(list.count(), 2u);
    EXPECT_EQ(list.at(0), " x ");
}

TEST(ByteBuffer, ReserveAppendErase) {
    ByteBuffer buffer;
    buffer.append("hello world");
    buffer.erase(5, 6);
    EXPECT_EQ(buffer.view(), "hello");
    buffer.erase(3, 100);
    EXPECT_EQ(buffer.view(), "hel");
    buffer.reserve(2);
    EXPECT_EQ(buffer.size(), 3u);
    buffer.reserve(8);
    EXPECT_EQ(buffer.size(), 8u);
}
