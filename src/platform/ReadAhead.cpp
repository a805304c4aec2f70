#include "platform/ReadAhead.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/uio.h>

#include <cerrno>
#include <string>

#include "platform/FileDescriptor.h"

bool readAhead(std::string_view path, uint64_t endBytes) {
    const FileDescriptor file(::open(std::string(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.valid()) return false;
    struct stat status {};
    if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
    // A read that must not wait fails on a start not in the cache, and sets its reading off.
    char first = 0;
    iovec byte{&first, 1};
    const bool cold = ::preadv2(file.get(), &byte, 1, 0, RWF_NOWAIT) < 0 && errno == EAGAIN;
    if (!cold) return false;
    const auto size = static_cast<uint64_t>(status.st_size);
    if (size > endBytes) {
        ::posix_fadvise(file.get(), static_cast<off_t>(size - endBytes), static_cast<off_t>(endBytes),
                        POSIX_FADV_WILLNEED);
    }
    return true;
}

uint64_t threadDiskReads() {
    rusage usage {};
    if (::getrusage(RUSAGE_THREAD, &usage) != 0) return 0;
    return static_cast<uint64_t>(usage.ru_inblock);
}
