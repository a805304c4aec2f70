#pragma once
// Equal pages carved from large aligned blocks mapped for the purpose, which the kernel
// may back with huge pages: a library of a million nodes then costs a few hundred page
// faults and heap calls instead of tens of thousands. A block goes back to the system when
// its last page comes back, except one empty block kept against churn at a boundary. Not
// thread-safe: its pool's lock guards it.

#include <cstddef>

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
    // Full blocks gather at the front; the last block has a page to give, if any has.
    Links ring_{&ring_, &ring_};
    size_t emptyBlocks_ = 0;
};
