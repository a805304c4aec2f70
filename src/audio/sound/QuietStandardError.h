#pragma once
// Keeps standard error silent for the life of the object. Sound libraries (ALSA above all)
// print screens of their own lines when a device is missing; the failure comes back as a
// result code anyway. Lines other threads write meanwhile are lost too, so hold it only
// around the library's probing calls.

#include "platform/FileDescriptor.h"

class QuietStandardError {
public:
    QuietStandardError();
    ~QuietStandardError();
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;

private:
    FileDescriptor saved_;  // standard error as it was; invalid when it could not be kept aside
};
