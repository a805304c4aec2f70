#include "audio/sound/FifoWriter.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <array>
#include <cerrno>

namespace {

// What the pipe holds at most: a reader that comes late hears this much that is old.
constexpr int kPipeBytes = 32768;

}  // namespace

bool FifoWriter::open() {
    if (::mkfifo(path_.c_str(), 0660) != 0) {
        struct stat status {};
        if (errno != EEXIST || ::stat(path_.c_str(), &status) != 0 || !S_ISFIFO(status.st_mode)) return false;
    }
    ownReader_ = FileDescriptor(::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!ownReader_.valid()) return false;
    pipe_ = FileDescriptor(::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    if (!pipe_.valid()) return false;
    ::fcntl(pipe_.get(), F_SETPIPE_SZ, kPipeBytes);  // best effort: the default is larger
    return true;
}

void FifoWriter::write(std::span<const uint8_t> block) {
    if (!pipe_.valid() || ::write(pipe_.get(), block.data(), block.size()) >= 0 || errno != EAGAIN) return;
    dropWaiting();
    ::write(pipe_.get(), block.data(), block.size());
}

void FifoWriter::dropWaiting() const {
    std::array<uint8_t, kAtomicBytes> waiting{};
    while (::read(ownReader_.get(), waiting.data(), waiting.size()) > 0) {
    }
}
