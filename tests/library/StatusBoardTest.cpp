#include <gtest/gtest.h>

#include <ctime>

#include "support/CapturedOutput.h"
#include "library/StatusBoard.h"

TEST(StatusBoard, MessagesShowForOneToTwoSecondsAndReachTheLog) {
    StatusBoard board;
    EXPECT_EQ(capturedOutput([&] {
        board.postInfo("Found 3 items\n");
        board.postError("Connection error!\n");
    }), "Found 3 items\nConnection error!\n");

    const int64_t posted = board.info()->postedAt;
    board.expire(posted + 1);
    ASSERT_TRUE(board.info().has_value());
    EXPECT_EQ(board.info()->text, "Found 3 items\n");
    board.expire(board.error()->postedAt + 2);
    EXPECT_FALSE(board.error().has_value());
    board.expire(posted + 2);
    EXPECT_FALSE(board.info().has_value());
}
