#include "storage/PageBlocks.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <iterator>

#include <sys/mman.h>

#include <sanitizer/asan_interface.h>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "storage/Ring.h"

struct PageBlocks::Block : Links {
    std::byte* freePage;  // a free page's first bytes hold the next free page of its block
    size_t usedPages;
    size_t carvedPages;   // pages from this index on were never handed out yet
    uint32_t tableSlot;
};

namespace {

// Blocks are 2 MiB, the size of a huge page on x86-64: the block table numbers a block's
// 4-byte steps in 19 bits.
constexpr size_t kHugePageBytes = size_t{2} << 20;
constexpr size_t kMinPagesPerBlock = 16;

size_t roundUp(size_t value, size_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

}  // namespace

PageBlocks::PageBlocks(size_t pageBytes, size_t pageAlignment)
    : pageBytes_(roundUp(std::max(pageBytes, sizeof(std::byte*)), pageAlignment)),
      firstPageOffset_(roundUp(sizeof(Block), pageAlignment)),
      blockBytes_(std::bit_ceil(std::max(kHugePageBytes, firstPageOffset_ + pageBytes_ * kMinPagesPerBlock))),
      pagesPerBlock_((blockBytes_ - firstPageOffset_) / pageBytes_),
      numbered_(blockBytes_ == kHugePageBytes) {
    static_assert(kHugePageBytes / kNumberStep == size_t{1} << kNumberBlockShift);
}

PageBlocks::~PageBlocks() {
    while (ring_.next != &ring_) {
        auto* block = static_cast<Block*>(ring_.next);
        ringUnlink<Links>(block);
        unmapBlock(block);
    }
}

void* PageBlocks::take() {
    Block* block = availableBlock();
    if (!block) return nullptr;
    if (block->usedPages++ == 0) --emptyBlocks_;
    std::byte* page = block->freePage;
    if (page) {
        std::memcpy(&block->freePage, page, sizeof block->freePage);
    } else {
        page = reinterpret_cast<std::byte*>(block) + firstPageOffset_ + block->carvedPages++ * pageBytes_;
    }
    if (block->usedPages == pagesPerBlock_) {
        ringUnlink<Links>(block);
        ringLinkAtFront<Links>(ring_, block);
    }
    return page;
}

void PageBlocks::give(void* pagePointer) {
    auto* page = static_cast<std::byte*>(pagePointer);
    Block* block = blockOf(page);
    std::memcpy(page, &block->freePage, sizeof block->freePage);
    block->freePage = page;
    if (block != ring_.previous) {
        ringUnlink<Links>(block);
        ringLinkAtEnd<Links>(ring_, block);
    }
    if (--block->usedPages > 0) return;
    if (emptyBlocks_ == 0) {
        ++emptyBlocks_;
        return;
    }
    ringUnlink<Links>(block);
    unmapBlock(block);
}

PageBlocks::Block* PageBlocks::availableBlock() {
    if (ring_.previous != &ring_) {
        auto* last = static_cast<Block*>(ring_.previous);
        if (last->usedPages < pagesPerBlock_) return last;
    }
    Block* block = mapBlock();
    if (block) ringLinkAtEnd<Links>(ring_, block);
    return block;
}

// Mapped at twice the size and trimmed, so the block is aligned to its size and a page
// finds its block by masking its address.
PageBlocks::Block* PageBlocks::mapBlock() {
    // Slot 0 stays unused, so that no address has the number 0; larger blocks take none.
    size_t slot = 0;
    if (numbered_) {
        slot = 1;
        while (slot < std::size(blockTable_) && blockTable_[slot].load(std::memory_order_relaxed)) ++slot;
        if (slot == std::size(blockTable_)) return nullptr;
    }
    void* mapped = ::mmap(nullptr, blockBytes_ * 2, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<uintptr_t>(mapped);
    const uintptr_t aligned = roundUp(start, blockBytes_);
    if (aligned > start) ::munmap(mapped, aligned - start);
    ::munmap(reinterpret_cast<void*>(aligned + blockBytes_), start + blockBytes_ - aligned);
    // Small pages, even where the system backs all memory with huge pages: a huge page is
    // resident whole from its first record, which cost a small library 2 MiB per pool.
    ::madvise(reinterpret_cast<void*>(aligned), blockBytes_, MADV_NOHUGEPAGE);
#if defined(__SANITIZE_ADDRESS__)
    // Heap blocks that only pool records point to (long node texts) are not leaks.
    __lsan_register_root_region(reinterpret_cast<void*>(aligned), blockBytes_);
#endif
    ++emptyBlocks_;
    auto* block = new (reinterpret_cast<void*>(aligned)) Block{{nullptr, nullptr}, nullptr, 0, 0, static_cast<uint32_t>(slot)};
    if (numbered_) blockTable_[slot].store(reinterpret_cast<std::byte*>(block), std::memory_order_relaxed);
    return block;
}

void PageBlocks::unmapBlock(Block* block) {
    if (numbered_) blockTable_[block->tableSlot].store(nullptr, std::memory_order_relaxed);
#if defined(__SANITIZE_ADDRESS__)
    __lsan_unregister_root_region(block, blockBytes_);
#endif
    ASAN_UNPOISON_MEMORY_REGION(block, blockBytes_);
    ::munmap(block, blockBytes_);
}

void* PageBlocks::pageOf(const void* inside) const {
    Block* block = blockOf(inside);
    const auto offset = static_cast<size_t>(static_cast<const std::byte*>(inside) - reinterpret_cast<std::byte*>(block));
    return reinterpret_cast<std::byte*>(block) + offset - (offset - firstPageOffset_) % pageBytes_;
}

uint32_t PageBlocks::numberOf(const void* inside) const {
    const Block* block = blockOf(inside);
    const auto offset = static_cast<size_t>(static_cast<const std::byte*>(inside) - reinterpret_cast<const std::byte*>(block));
    return static_cast<uint32_t>(block->tableSlot << kNumberBlockShift | offset / kNumberStep);
}

PageBlocks::Block* PageBlocks::blockOf(const void* page) const {
    return reinterpret_cast<Block*>(reinterpret_cast<uintptr_t>(page) & ~(blockBytes_ - 1));
}
