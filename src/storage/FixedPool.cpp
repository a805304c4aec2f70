#include "storage/FixedPool.h"

#include <algorithm>
#include <cstring>
#include <new>

#include <sanitizer/asan_interface.h>

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
      stride_(roundUp(slotSize_ + 1, alignment_)),
      firstSlotOffset_(roundUp(sizeof(Page) + 1, alignment_)),
      pageBytes_(firstSlotOffset_ + stride_ * slotsPerPage_) {}

FixedPool::~FixedPool() {
    while (ring_.next != &ring_) {
        Page* page = ring_.next;
        unlink(page);
        deletePage(page);
    }
}

void* FixedPool::allocate() {
    const std::lock_guard guard(mutex_);
    if (freeCount_ == 0) {
        Page* page = newPage();
        if (!page) return nullptr;
        linkAtEnd(page);
        freeCount_ += slotsPerPage_;
    }
    Page* page = ring_.previous;
    std::byte* slot = page->freeHead;
    ASAN_UNPOISON_MEMORY_REGION(slot, slotSize_);
    page->freeHead = nextFree(slot);
    --page->freeSlots;
    --freeCount_;
    if (page->freeSlots == 0) {
        unlink(page);
        linkAtFront(page);
    }
    return slot;
}

void FixedPool::release(void* slotPointer) {
    auto* slot = static_cast<std::byte*>(slotPointer);
    const std::lock_guard guard(mutex_);
    Page* page = pageOf(slot);
    setNextFree(slot, page->freeHead);
    ASAN_POISON_MEMORY_REGION(slot, slotSize_);
    page->freeHead = slot;
    ++page->freeSlots;
    if (page != ring_.previous) {
        unlink(page);
        linkAtEnd(page);
    }
    if (page->freeSlots == slotsPerPage_) {
        unlink(page);
        freeCount_ -= slotsPerPage_;
        deletePage(page);
    }
    ++freeCount_;
}

size_t FixedPool::freeCount() const {
    const std::lock_guard guard(mutex_);
    return freeCount_;
}

size_t FixedPool::pageCount() const {
    const std::lock_guard guard(mutex_);
    return pageCount_;
}

FixedPool::Page* FixedPool::newPage() {
    void* memory = ::operator new(pageBytes_, std::align_val_t(alignment_), std::nothrow);
    if (!memory) return nullptr;
    Page* page = new (memory) Page{nullptr, nullptr, nullptr, static_cast<uint8_t>(slotsPerPage_)};
    // Pushed in index order, so the last slot is handed out first.
    for (size_t index = 0; index < slotsPerPage_; ++index) {
        std::byte* slot = slotAt(page, index);
        slot[-1] = static_cast<std::byte>(index);
        setNextFree(slot, page->freeHead);
        page->freeHead = slot;
        ASAN_POISON_MEMORY_REGION(slot, slotSize_);
    }
    ++pageCount_;
    return page;
}

void FixedPool::deletePage(Page* page) {
    ASAN_UNPOISON_MEMORY_REGION(page, pageBytes_);
    ::operator delete(page, std::align_val_t(alignment_));
    --pageCount_;
}

FixedPool::Page* FixedPool::pageOf(std::byte* slot) const {
    const auto index = static_cast<size_t>(slot[-1]);
    return reinterpret_cast<Page*>(slot - firstSlotOffset_ - index * stride_);
}

std::byte* FixedPool::slotAt(Page* page, size_t index) const {
    return reinterpret_cast<std::byte*>(page) + firstSlotOffset_ + index * stride_;
}

void FixedPool::linkAtEnd(Page* page) {
    page->next = &ring_;
    page->previous = ring_.previous;
    ring_.previous->next = page;
    ring_.previous = page;
}

void FixedPool::linkAtFront(Page* page) {
    page->previous = &ring_;
    page->next = ring_.next;
    ring_.next->previous = page;
    ring_.next = page;
}

void FixedPool::unlink(Page* page) {
    page->previous->next = page->next;
    page->next->previous = page->previous;
}
