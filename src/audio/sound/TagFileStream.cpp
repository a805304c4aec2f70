#include "audio/sound/TagFileStream.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>

namespace {

// Holds a small file whole, and of a large one its tag at the start and its last frames.
constexpr long kWindowBytes = 16 * 1024;

}  // namespace

TagFileStream::TagFileStream(std::string path)
    : path_(std::move(path)), file_(::open(path_.c_str(), O_RDONLY | O_CLOEXEC)) {
    struct stat status {};
    // Its size is known, or it counts as not open.
    if (file_.valid() && ::fstat(file_.get(), &status) != 0) file_.reset();
    size_ = file_.valid() ? static_cast<long>(status.st_size) : 0;
}

TagLib::ByteVector TagFileStream::readBlock(unsigned long length) {
    if (!isOpen() || position_ >= size_) return {};
    const auto left = static_cast<unsigned long>(size_ - position_);
    const auto count = static_cast<long>(std::min(length, left));
    if (count == 0) return {};
    if (count > kWindowBytes) {
        TagLib::ByteVector block(static_cast<unsigned>(count));
        const ssize_t read = ::pread(file_.get(), block.data(), static_cast<size_t>(count), position_);
        block.resize(static_cast<unsigned>(std::max<ssize_t>(read, 0)));
        position_ += static_cast<long>(block.size());
        return block;
    }
    const Window& window = windowFor(count);
    // A window read short (the file shrank, a read error) gives what it holds, as fread would.
    const long from = std::clamp(position_ - window.start, 0L, static_cast<long>(window.bytes.size()));
    const long available = std::min(count, static_cast<long>(window.bytes.size()) - from);
    position_ += available;
    return {window.bytes.data() + from, static_cast<unsigned>(available)};
}

// A window that holds `count` bytes from the position, read when none does: from the
// position on, or near the end the file's last bytes, since TagLib looks backwards there.
const TagFileStream::Window& TagFileStream::windowFor(long count) {
    for (size_t i = 0; i < windows_.size(); ++i) {
        if (!windows_[i].holds(position_, count)) continue;
        older_ = 1 - i;
        return windows_[i];
    }
    Window& window = windows_[older_];
    older_ = 1 - older_;
    window.start = std::max(0L, std::min(position_, size_ - kWindowBytes));
    window.bytes.resize(static_cast<size_t>(std::min(kWindowBytes, size_ - window.start)));
    const ssize_t read = ::pread(file_.get(), window.bytes.data(), window.bytes.size(), window.start);
    window.bytes.resize(static_cast<size_t>(std::max<ssize_t>(read, 0)));
    return window;
}

void TagFileStream::seek(long offset, Position from) {
    const long base = from == Beginning ? 0 : from == Current ? position_ : size_;
    if (base + offset >= 0) position_ = base + offset;
}
