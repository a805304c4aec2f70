#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>

#include "platform/Folders.h"

std::string InstanceLock::defaultPath() { return runtimeFolder() + "VelmorantPlayerStarted.lock"; }

InstanceLock::InstanceLock(std::string path) : path_(std::move(path)) {}

bool InstanceLock::tryAcquire() {
    if (held()) return true;
    FileDescriptor fd(open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!fd.valid() || flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return false;
    fd_ = std::move(fd);
    return true;
}
