#pragma once
// A FixedPool for records made and dropped at a high rate by any thread, with a small
// stack of free slots per thread in front of its lock: most allocations and releases take
// no lock at all. Only for pools that live until the process ends. Slots parked in a
// thread's stack count as in use by the pool until the stack overflows, the thread ends
// or the thread flushes it.

#include <cstddef>
#include <cstdint>

#include "storage/FixedPool.h"

namespace cached_pool {

inline constexpr size_t kMaxPools = 4;
inline constexpr size_t kStackSlots = 64;

struct SlotStack {
    void* slots[kStackSlots];
    size_t count;
    FixedPool* pool;
};

// Trivially destructible, so the fast paths reach it without a guard.
extern constinit thread_local SlotStack threadStacks[kMaxPools];

}  // namespace cached_pool

class CachedPool {
public:
    CachedPool(size_t slotSize, uint8_t slotsPerPage, size_t slotAlignment);

    // An uninitialised slot, or null when no new page can be had.
    void* allocate() {
        cached_pool::SlotStack& stack = cached_pool::threadStacks[index_];
        return stack.count > 0 ? stack.slots[--stack.count] : refill();
    }
    void release(void* slot) {
        cached_pool::SlotStack& stack = cached_pool::threadStacks[index_];
        if (stack.count < cached_pool::kStackSlots) {
            stack.slots[stack.count++] = slot;
        } else {
            spill(slot);
        }
    }
    // Gives this thread's parked slots back to the pool (so empty pages are freed).
    void flushThisThread();

    const FixedPool& pool() const { return pool_; }

private:
    void* refill();
    void spill(void* slot);

    FixedPool pool_;
    size_t index_;  // which of a thread's stacks belongs to this pool
};
