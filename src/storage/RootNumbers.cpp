#include "storage/RootNumbers.h"

#include <cstdlib>
#include <mutex>

constinit RootNumbers theRootNumbers;

uint32_t RootNumbers::add(Node* root) {
    const std::lock_guard guard(lock_);
    uint32_t index;
    if (firstFree_ != 0) {
        index = firstFree_ - 1;
        firstFree_ = static_cast<uint32_t>(entry(index).load(std::memory_order_relaxed) >> 1);
    } else {
        if (used_ == kLimit - kFirst) std::abort();
        index = used_++;
        if (index % kChunkEntries == 0) {
            chunks_[index / kChunkEntries].store(new Entry[kChunkEntries], std::memory_order_release);
        }
    }
    entry(index).store(reinterpret_cast<uintptr_t>(root), std::memory_order_release);
    return kFirst + index;
}

void RootNumbers::remove(uint32_t number) {
    const std::lock_guard guard(lock_);
    const uint32_t index = number - kFirst;
    entry(index).store(uintptr_t{firstFree_} << 1 | 1, std::memory_order_relaxed);
    firstFree_ = index + 1;
}
