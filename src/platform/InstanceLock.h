#pragma once
// The single-instance mark: an exclusive flock on a file in the runtime folder, held
// for the life of the process (the kernel drops it when the process ends).

#include <string>

#include "platform/FileDescriptor.h"

class InstanceLock {
public:
    // The lock file used unless a test names another.
    static std::string defaultPath();

    explicit InstanceLock(std::string path = defaultPath());
    // Takes the lock when no other process holds it; true when this object holds it now.
    bool tryAcquire();
    bool held() const { return fd_.valid(); }
    void release() { fd_.reset(); }

private:
    std::string path_;
    FileDescriptor fd_;
};
