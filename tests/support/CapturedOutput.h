#pragma once
// What a piece of code prints on standard output, kept out of the test's own log.

#include <gtest/gtest.h>

#include <string>

template <class Action>
std::string capturedOutput(Action&& action) {
    testing::internal::CaptureStdout();
    action();
    return testing::internal::GetCapturedStdout();
}
