#pragma once
// Equal-sized slots carved from pages, for records made and dropped by the hundred
// thousand. Any thread may allocate and release; a page goes back to its block as soon as
// its last slot is free, so memory follows the number of live records.

#include <cstddef>
#include <cstdint>

#include "storage/PageBlocks.h"
#include "storage/SpinLock.h"

class FixedPool {
public:
    FixedPool(size_t slotSize, uint8_t slotsPerPage, size_t slotAlignment = alignof(std::max_align_t));
    // Frees every page; slots still handed out become invalid.
    ~FixedPool();
    FixedPool(const FixedPool&) = delete;
    FixedPool& operator=(const FixedPool&) = delete;

    // An uninitialised slot, or null when no new page can be had.
    void* allocate();
    // Takes back a slot of this pool. Never fails.
    void release(void* slot);
    // The same for many slots under one taking of the lock; allocateMany returns how many
    // it got (fewer only when no new page can be had).
    size_t allocateMany(void** slots, size_t count);
    void releaseMany(void* const* slots, size_t count);

    size_t freeCount() const;  // free slots over all pages
    size_t pageCount() const;
    size_t slotsPerPage() const { return slotsPerPage_; }

    // A slot's 32-bit number (never 0; see PageBlocks) while it is handed out, and back.
    // The slot alignment must be at least PageBlocks::kNumberStep, a page at most 128 KiB.
    uint32_t numberOf(const void* slot) const { return blocks_.numberOf(slot); }
    void* slotOf(uint32_t number) const { return blocks_.addressOf(number); }

private:
    struct Page {
        Page* next;
        Page* previous;
        std::byte* freeHead;  // a free slot's first bytes hold the next free slot of its page
        uint8_t freeSlots;
        uint8_t uncarved;     // slots below this index were never handed out yet
    };

    void* allocateLocked();
    void releaseLocked(void* slot);
    Page* newPage();
    std::byte* takeSlot(Page* page);
    void deletePage(Page* page);
    Page* pageOf(std::byte* slot) const;
    std::byte* slotAt(Page* page, size_t index) const;

    const size_t slotSize_;
    const size_t slotsPerPage_;
    const size_t alignment_;  // of the pages, at least the slots'
    const size_t stride_;     // the slot rounded to its alignment
    const size_t firstSlotOffset_;
    const size_t pageBytes_;

    PageBlocks blocks_;
    mutable SpinLock lock_;
    // Sentinel of the page ring: full pages gather at the front, the last page has a free slot.
    Page ring_{&ring_, &ring_, nullptr, 0, 0};
    size_t freeCount_ = 0;
    size_t pageCount_ = 0;
};
