#pragma once
// 32-bit numbers for the nodes that live outside the node pool (roots held by value), in a
// range above every pool number, so a child can name its parent in 32 bits whichever kind
// it is. Any thread may add and remove; at() takes no lock.

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "storage/PageBlocks.h"
#include "storage/SpinLock.h"

class Node;

class RootNumbers {
public:
    static constexpr uint32_t kFirst = PageBlocks::kNumberLimit;
    static constexpr uint32_t kLimit = 0x80000000;

    // A number no other live root has; aborts when every number is taken.
    uint32_t add(Node* root);
    // The number goes back for reuse; the root must no longer be looked up by it.
    void remove(uint32_t number);
    // The root of a number from add() that was not removed.
    Node* at(uint32_t number) const {
        return reinterpret_cast<Node*>(entry(number - kFirst).load(std::memory_order_acquire));
    }

private:
    // A live entry holds its root's address; a free one (the next free entry's index + 1)
    // * 2 + 1, so 1 for none.
    using Entry = std::atomic<uintptr_t>;
    static constexpr uint32_t kChunkEntries = 4096;
    static constexpr uint32_t kChunks = (kLimit - kFirst) / kChunkEntries;

    Entry& entry(uint32_t index) const {
        return chunks_[index / kChunkEntries].load(std::memory_order_acquire)[index % kChunkEntries];
    }

    // Chunks are allocated as needed and kept until the process ends, as lookups take no lock.
    std::atomic<Entry*> chunks_[kChunks] = {};
    SpinLock lock_;
    uint32_t used_ = 0;      // entries below this were handed out at least once
    uint32_t firstFree_ = 0; // index + 1 of a free entry, 0 for none
};

// Trivially destructible, so roots may outlive every static object.
extern constinit RootNumbers theRootNumbers;
