#include <gtest/gtest.h>

#include <poll.h>

#include <atomic>
#include <string>
#include <thread>

#include "audio/TagWorkers.h"

namespace {

bool wokenWithin(const WakeSignal& signal, int ms) {
    pollfd watch{signal.handle(), POLLIN, 0};
    const bool woken = poll(&watch, 1, ms) == 1;
    signal.drain();
    return woken;
}

// The poster sleeps until woken: a short line wakes it once every file is read, and a
// long one once a run of results waits at its front, which it takes in the order posted
// while the rest are still being read.
TEST(TagWorkers, WakeThePosterForEveryShortLineAndRunsOfALongOne) {
    std::atomic<bool> posted{false};  // nothing is read before the whole line is posted
    std::atomic<bool> slowHeld{true};
    TagWorkers workers(
        [&](Node& values, StatusBoard&, std::string_view path, std::string_view) {
            while (!posted || (slowHeld && path == "slow")) std::this_thread::yield();
            values.setChild("PATH", path);
        },
        2);
    // Declared after the workers, so a failed assertion lets them finish before they join.
    struct Release {
        std::atomic<bool>& posted;
        std::atomic<bool>& slowHeld;
        ~Release() {
            posted = true;
            slowHeld = false;
        }
    } release{posted, slowHeld};

    for (const char* path : {"a", "b", "c"}) workers.post(path, path);
    posted = true;
    ASSERT_TRUE(wokenWithin(workers.done(), 10000));
    for (const char* path : {"a", "b", "c"}) {
        std::unique_ptr<TagWorkers::Result> result = workers.takeNext();
        ASSERT_TRUE(result);
        EXPECT_STREQ(result->values.findChild("PATH")->value(), path);
    }
    EXPECT_FALSE(workers.takeNext());

    posted = false;
    for (int i = 0; i < 40; ++i) workers.post(std::to_string(i), "");
    workers.post("slow", "");
    posted = true;
    ASSERT_TRUE(wokenWithin(workers.done(), 10000));
    for (int i = 0; i < 16; ++i) {
        std::unique_ptr<TagWorkers::Result> result = workers.takeNext();
        ASSERT_TRUE(result) << i;
        EXPECT_EQ(result->values.findChild("PATH")->value(), std::to_string(i));
    }
    slowHeld = false;
    int rest = 0;
    while (rest < 25) {
        ASSERT_TRUE(wokenWithin(workers.done(), 10000)) << rest;
        while (workers.takeNext()) ++rest;
    }
    EXPECT_EQ(rest, 25);
}

}  // namespace
