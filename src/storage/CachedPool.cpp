#include "storage/CachedPool.h"

#include <atomic>
#include <cstdlib>

namespace cached_pool {

constinit thread_local SlotStack threadStacks[kMaxPools] = {};

}  // namespace cached_pool

namespace {

using cached_pool::SlotStack;
using cached_pool::threadStacks;

constexpr size_t kBatch = cached_pool::kStackSlots / 2;

// Touched only on the slow paths: gives a thread's parked slots back when it ends.
struct ThreadFlusher {
    ~ThreadFlusher() {
        for (SlotStack& stack : threadStacks) {
            if (stack.pool) stack.pool->releaseMany(stack.slots, stack.count);
            stack.count = 0;
        }
    }
};

SlotStack& registeredStack(size_t index, FixedPool& pool) {
    thread_local ThreadFlusher flusher;
    SlotStack& stack = threadStacks[index];
    stack.pool = &pool;
    return stack;
}

std::atomic<size_t> poolsCreated{0};

}  // namespace

CachedPool::CachedPool(size_t slotSize, uint8_t slotsPerPage, size_t slotAlignment)
    : pool_(slotSize, slotsPerPage, slotAlignment), index_(poolsCreated++) {
    if (index_ >= cached_pool::kMaxPools) std::abort();
}

void* CachedPool::refill() {
    SlotStack& stack = registeredStack(index_, pool_);
    stack.count = pool_.allocateMany(stack.slots, kBatch);
    return stack.count == 0 ? nullptr : stack.slots[--stack.count];
}

void CachedPool::spill(void* slot) {
    SlotStack& stack = registeredStack(index_, pool_);
    stack.count -= kBatch;
    pool_.releaseMany(stack.slots + stack.count, kBatch);
    stack.slots[stack.count++] = slot;
}

void CachedPool::flushThisThread() {
    SlotStack& stack = registeredStack(index_, pool_);
    pool_.releaseMany(stack.slots, stack.count);
    stack.count = 0;
}
