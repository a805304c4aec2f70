#pragma once
// Equal pages carved from large aligned blocks mapped for the purpose, in small pages, so
// that only the pages in use are resident: a library of a million nodes costs a few
// hundred heap calls instead of tens of thousands. A block goes back to the system when
// its last page comes back, except one empty block kept against churn at a boundary. Not
// thread-safe: its pool's lock guards it, except numbers' addresses, which any thread may
// look up.
//
// Every 4-byte step of the pages of 2 MiB blocks (pages of up to 128 KiB) has a number
// below kNumberLimit, never 0, so 32-bit links can name records in pages: a block table
// gives each mapped block a slot, filled before any page of the block is handed out.

#include <atomic>
#include <cstddef>
#include <cstdint>

class PageBlocks {
public:
    // Every page has `pageBytes` and the alignment `pageAlignment` (a power of two).
    PageBlocks(size_t pageBytes, size_t pageAlignment);
    // Unmaps every block; pages still out become invalid.
    ~PageBlocks();
    PageBlocks(const PageBlocks&) = delete;
    PageBlocks& operator=(const PageBlocks&) = delete;

    // An uninitialised page, or null when no block can be mapped.
    void* take();
    // Takes back a page of this object.
    void give(void* page);
    // The page that holds this address, which lies in a page taken from this object.
    void* pageOf(const void* inside) const;

    static constexpr uint32_t kNumberLimit = 0x7F000000;
    static constexpr size_t kNumberStep = 4;
    // The number of an address inside a page (of up to 128 KiB) taken from this object, at
    // a multiple of kNumberStep from its block's start.
    uint32_t numberOf(const void* inside) const;
    // The address of a number from numberOf while its page is still taken; 0 gives null.
    // Lock-free, and relaxed: a thread learns a number after its block's slot was filled
    // (through whatever handed it the record), and the slot changes only once the block's
    // pages are all back.
    void* addressOf(uint32_t number) const {
        // Slot 0 is always null, so number 0 gives null without a test.
        std::byte* block = blockTable_[number >> kNumberBlockShift].load(std::memory_order_relaxed);
        return block + (number & kNumberOffsetMask) * kNumberStep;
    }

private:
    struct Links {
        Links* next;
        Links* previous;
    };
    struct Block;

    Block* availableBlock();
    Block* mapBlock();
    void unmapBlock(Block* block);
    Block* blockOf(const void* page) const;

    const size_t pageBytes_;
    const size_t firstPageOffset_;
    const size_t blockBytes_;  // a power of two, and each block is aligned to it
    const size_t pagesPerBlock_;
    // Numbers are the table slot above the block's 4-byte step; larger blocks take none.
    static constexpr unsigned kNumberBlockShift = 19;
    static constexpr uint32_t kNumberOffsetMask = (uint32_t{1} << kNumberBlockShift) - 1;
    const bool numbered_;
    std::atomic<std::byte*> blockTable_[kNumberLimit >> kNumberBlockShift] = {};
    // Full blocks gather at the front; the last block has a page to give, if any has.
    Links ring_{&ring_, &ring_};
    size_t emptyBlocks_ = 0;
};
