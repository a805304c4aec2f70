#pragma once
// Wakes a thread that waits in poll(): any thread may notify, the waiting thread watches
// handle() for input and drains it. Notices between two drains fold into one.

#include "platform/FileDescriptor.h"

class WakeSignal {
public:
    WakeSignal();

    // For poll(); the signal keeps owning it.
    int handle() const { return handle_.get(); }
    // Any thread; never blocks.
    void notify() const;
    // Takes the notices that arrived, so that the handle no longer shows input.
    void drain() const;

private:
    FileDescriptor handle_;
};
