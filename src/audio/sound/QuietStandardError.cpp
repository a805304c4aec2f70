#include "audio/sound/QuietStandardError.h"

#include <fcntl.h>

#include <cstdio>

QuietStandardError::QuietStandardError() {
    const FileDescriptor nowhere(::open("/dev/null", O_WRONLY | O_CLOEXEC));
    if (!nowhere.valid()) return;
    std::fflush(stderr);
    saved_ = FileDescriptor(::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0));
    if (saved_.valid() && ::dup2(nowhere.get(), STDERR_FILENO) < 0) saved_.reset();
}

QuietStandardError::~QuietStandardError() {
    if (!saved_.valid()) return;
    std::fflush(stderr);
    ::dup2(saved_.get(), STDERR_FILENO);
}
