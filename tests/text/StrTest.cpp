#include <gtest/gtest.h>

#include "text/ByteBuffer.h"
#include "text/Str.h"
#include "text/StrList.h"

// The edges: lone or missing quotes, empty texts, places and lengths out of range.
TEST(Str, EditsAtTheEdges) {
    Str lone("\"");
    lone.stripQuotes();
    EXPECT_EQ(lone, "");
    Str leading("\"abc");
    leading.stripQuotes();
    EXPECT_EQ(leading, "abc");
    Str path("/My Music/a.mp3");
    path.quoteIfSpaces();
    path.quoteIfSpaces();
    EXPECT_EQ(path, "\"/My Music/a.mp3\"");
    Str empty;
    empty.trim();
    empty.dropTrailingSlash();
    empty.stripQuotes();
    EXPECT_TRUE(empty.empty());
    Str mixed("Rock'n'Roll äé");
    mixed.toUpper();
    EXPECT_EQ(mixed, "ROCK'N'ROLL äé");

    EXPECT_EQ(Str().assignPrefix(-1, "whole"), "whole");
    Str edit("hello, world");
    edit.erase(5, 100);
    EXPECT_EQ(edit, "hello, world");
    edit.erase(-1, 5);
    EXPECT_EQ(edit, "hello");

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
    list.split(",,,", ',', false);
    EXPECT_EQ(list.count(), 0u);
    list.split(" x , y", ',', false);
    ASSERT_EQ(list.count(), 2u);
    EXPECT_EQ(list.at(0), " x ");
}

TEST(ByteBuffer, EraseAndReservePastTheEnd) {
    ByteBuffer buffer;
    buffer.append("hello world");
    buffer.erase(3, 100);
    EXPECT_EQ(buffer.view(), "hel");
    buffer.reserve(2);
    EXPECT_EQ(buffer.size(), 3u);
    buffer.reserve(8);
    EXPECT_EQ(buffer.size(), 8u);
}
