#include "audio/sound/FifoWriter.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>

namespace {

// What the pipe holds at most: room for a reader's stalls beyond the writer's lead, and what
// a reader that comes late hears that is old.
constexpr int kPipeBytes = 131072;

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
    ::fcntl(pipe_.get(), F_SETPIPE_SZ, kPipeBytes);  // best effort: Linux's default is half
    return true;
}

void FifoWriter::write(std::span<const uint8_t> block) {
    if (!pipe_.valid() || ::write(pipe_.get(), block.data(), block.size()) >= 0 || errno != EAGAIN) return;
    dropOldest(block.size());
    ::write(pipe_.get(), block.data(), block.size());
}

// A full pipe holds far more than a block, so the read takes the whole count: the stream
// loses whole frames and stays aligned.
void FifoWriter::dropOldest(size_t bytes) const {
    std::array<uint8_t, kAtomicBytes> oldest{};
    ::read(ownReader_.get(), oldest.data(), std::min(bytes, oldest.size()));
}
