#include "audio/sound/FrameFifo.h"

#include <algorithm>
#include <bit>

FrameFifo::FrameFifo(size_t minimumFrames)
    : samples_(std::bit_ceil(std::max<size_t>(minimumFrames, 2)) * kChannels),
      mask_(samples_.size() / kChannels - 1) {}

size_t FrameFifo::writable() const {
    const uint64_t used = writeIndex_.load(std::memory_order_relaxed) - readIndex_.load(std::memory_order_acquire);
    return mask_ + 1 - used;
}

void FrameFifo::write(const float* frames, size_t count) {
    const uint64_t index = writeIndex_.load(std::memory_order_relaxed);
    const size_t start = index & mask_;
    const size_t first = std::min(count, capacity() - start);
    std::copy_n(frames, first * kChannels, &samples_[start * kChannels]);
    std::copy_n(frames + first * kChannels, (count - first) * kChannels, samples_.data());
    writeIndex_.store(index + count, std::memory_order_release);
}

void FrameFifo::startGeneration(uint16_t generation) {
    const uint64_t start = writeIndex_.load(std::memory_order_relaxed) & kIndexMask;
    state_.store(uint64_t{generation} << 48 | start, std::memory_order_release);
}

void FrameFifo::finish() {
    state_.store(state_.load(std::memory_order_relaxed) | kFinishedBit, std::memory_order_release);
}

bool FrameFifo::catchUp(uint16_t generation) {
    const uint64_t state = state_.load(std::memory_order_acquire);
    if (generationOf(state) != generation) return false;
    const uint64_t start = state & kIndexMask;
    if (readIndex_.load(std::memory_order_relaxed) < start) readIndex_.store(start, std::memory_order_release);
    return true;
}

size_t FrameFifo::readable() const {
    return writeIndex_.load(std::memory_order_acquire) - readIndex_.load(std::memory_order_relaxed);
}

bool FrameFifo::finished(uint16_t generation) const {
    const uint64_t state = state_.load(std::memory_order_acquire);
    return generationOf(state) == generation && (state & kFinishedBit) != 0;
}

void FrameFifo::read(float* frames, size_t count) {
    const uint64_t index = readIndex_.load(std::memory_order_relaxed);
    const size_t start = index & mask_;
    const size_t first = std::min(count, capacity() - start);
    std::copy_n(&samples_[start * kChannels], first * kChannels, frames);
    std::copy_n(samples_.data(), (count - first) * kChannels, frames + first * kChannels);
    readIndex_.store(index + count, std::memory_order_release);
}

void FrameFifo::pop(float* frame) {
    const uint64_t index = readIndex_.load(std::memory_order_relaxed);
    const float* slot = &samples_[(index & mask_) * kChannels];
    frame[0] = slot[0];
    frame[1] = slot[1];
    readIndex_.store(index + 1, std::memory_order_release);
}
