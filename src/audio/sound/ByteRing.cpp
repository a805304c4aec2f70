#include "audio/sound/ByteRing.h"

#include <algorithm>

ByteRing::ByteRing(size_t capacity) : bytes_(capacity) {}

bool ByteRing::write(const uint8_t* bytes, size_t count) {
    std::unique_lock lock(mutex_);
    while (count > 0) {
        changed_.wait(lock, [this] { return aborted_ || used_ < bytes_.size(); });
        if (aborted_) return false;
        const size_t end = (start_ + used_) % bytes_.size();
        const size_t piece = std::min({count, bytes_.size() - used_, bytes_.size() - end});
        std::copy_n(bytes, piece, bytes_.begin() + static_cast<std::ptrdiff_t>(end));
        used_ += piece;
        bytes += piece;
        count -= piece;
        changed_.notify_all();
    }
    return true;
}

void ByteRing::finish() {
    const std::lock_guard lock(mutex_);
    finished_ = true;
    changed_.notify_all();
}

size_t ByteRing::read(uint8_t* out, size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return aborted_ || finished_ || used_ > 0; });
    if (aborted_) return 0;
    const size_t piece = std::min({count, used_, bytes_.size() - start_});
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(start_), piece, out);
    start_ = (start_ + piece) % bytes_.size();
    used_ -= piece;
    changed_.notify_all();
    return piece;
}

void ByteRing::abort() {
    const std::lock_guard lock(mutex_);
    aborted_ = true;
    changed_.notify_all();
}

bool ByteRing::aborted() const {
    const std::lock_guard lock(mutex_);
    return aborted_;
}

unsigned ByteRing::percentFull() const {
    const std::lock_guard lock(mutex_);
    return static_cast<unsigned>(used_ * 100 / bytes_.size());
}
