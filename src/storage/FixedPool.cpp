#include "storage/FixedPool.h"

#include <algorithm>
#include <cstring>
#include <new>

#include <sanitizer/asan_interface.h>

#include "storage/Ring.h"

namespace {

size_t roundUp(size_t value, size_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

std::byte* nextFree(const std::byte* slot) {
    std::byte* next;
    std::memcpy(&next, slot, sizeof next);
    return next;
}

void setNextFree(std::byte* slot, std::byte* next) {
    std::memcpy(slot, &next, sizeof next);
}

}  // namespace

FixedPool::FixedPool(size_t slotSize, uint8_t slotsPerPage, size_t slotAlignment)
    : slotSize_(std::max(slotSize, sizeof(std::byte*))),
      slotsPerPage_(std::max<size_t>(slotsPerPage, 1)),
      alignment_(std::max(slotAlignment, alignof(Page))),
      stride_(roundUp(slotSize_, std::max<size_t>(slotAlignment, 1))),
      firstSlotOffset_(roundUp(sizeof(Page), alignment_)),
      pageBytes_(firstSlotOffset_ + stride_ * slotsPerPage_),
      blocks_(pageBytes_, alignment_) {}

FixedPool::~FixedPool() {
    while (ring_.next != &ring_) {
        Page* page = ring_.next;
        ringUnlink(page);
        deletePage(page);
    }
}

void* FixedPool::allocate() {
    const std::lock_guard guard(lock_);
    return allocateLocked();
}

void FixedPool::release(void* slot) {
    const std::lock_guard guard(lock_);
    releaseLocked(slot);
}

size_t FixedPool::allocateMany(void** slots, size_t count) {
    const std::lock_guard guard(lock_);
    for (size_t taken = 0; taken < count; ++taken) {
        slots[taken] = allocateLocked();
        if (!slots[taken]) return taken;
    }
    return count;
}

void FixedPool::releaseMany(void* const* slots, size_t count) {
    const std::lock_guard guard(lock_);
    for (size_t index = 0; index < count; ++index) releaseLocked(slots[index]);
}

void* FixedPool::allocateLocked() {
    if (freeCount_ == 0) {
        Page* page = newPage();
        if (!page) return nullptr;
        ringLinkAtEnd(ring_, page);
        freeCount_ += slotsPerPage_;
    }
    Page* page = ring_.previous;
    std::byte* slot = takeSlot(page);
    --page->freeSlots;
    --freeCount_;
    if (page->freeSlots == 0) {
        ringUnlink(page);
        ringLinkAtFront(ring_, page);
    }
    return slot;
}

void FixedPool::releaseLocked(void* slotPointer) {
    auto* slot = static_cast<std::byte*>(slotPointer);
    Page* page = pageOf(slot);
    setNextFree(slot, page->freeHead);
    ASAN_POISON_MEMORY_REGION(slot, slotSize_);
    page->freeHead = slot;
    ++page->freeSlots;
    if (page != ring_.previous) {
        ringUnlink(page);
        ringLinkAtEnd(ring_, page);
    }
    if (page->freeSlots == slotsPerPage_) {
        ringUnlink(page);
        freeCount_ -= slotsPerPage_;
        deletePage(page);
    }
    ++freeCount_;
}

size_t FixedPool::freeCount() const {
    const std::lock_guard guard(lock_);
    return freeCount_;
}

size_t FixedPool::pageCount() const {
    const std::lock_guard guard(lock_);
    return pageCount_;
}

// A new page's slots are carved on demand from the last index down, which hands them
// out in the order a free list filled in index order would, without touching them all.
FixedPool::Page* FixedPool::newPage() {
    void* memory = blocks_.take();
    if (!memory) return nullptr;
    const auto slots = static_cast<uint8_t>(slotsPerPage_);
    Page* page = new (memory) Page{nullptr, nullptr, nullptr, slots, slots};
    ASAN_POISON_MEMORY_REGION(slotAt(page, 0), stride_ * slotsPerPage_);
    ++pageCount_;
    return page;
}

std::byte* FixedPool::takeSlot(Page* page) {
    if (page->freeHead) {
        std::byte* slot = page->freeHead;
        ASAN_UNPOISON_MEMORY_REGION(slot, slotSize_);
        page->freeHead = nextFree(slot);
        return slot;
    }
    const size_t index = --page->uncarved;
    std::byte* slot = slotAt(page, index);
    ASAN_UNPOISON_MEMORY_REGION(slot, slotSize_);
    return slot;
}

void FixedPool::deletePage(Page* page) {
    ASAN_UNPOISON_MEMORY_REGION(page, pageBytes_);
    blocks_.give(page);
    --pageCount_;
}

// A slot carries no page index: the page's block knows where its pages begin.
FixedPool::Page* FixedPool::pageOf(std::byte* slot) const {
    return static_cast<Page*>(blocks_.pageOf(slot));
}

std::byte* FixedPool::slotAt(Page* page, size_t index) const {
    return reinterpret_cast<std::byte*>(page) + firstSlotOffset_ + index * stride_;
}
