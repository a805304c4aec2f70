#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

#include "storage/PageBlocks.h"

namespace {

// Fills every page whole with its own byte, then checks no page overwrote another.
void expectPagesApart(const std::vector<void*>& pages, size_t pageBytes) {
    for (size_t index = 0; index < pages.size(); ++index) std::memset(pages[index], static_cast<int>(index), pageBytes);
    for (size_t index = 0; index < pages.size(); ++index) {
        const auto* bytes = static_cast<const uint8_t*>(pages[index]);
        EXPECT_EQ(bytes[0], static_cast<uint8_t>(index));
        EXPECT_EQ(bytes[pageBytes - 1], static_cast<uint8_t>(index));
    }
}

std::vector<void*> takePages(PageBlocks& blocks, size_t count) {
    std::vector<void*> pages;
    for (size_t index = 0; index < count; ++index) pages.push_back(blocks.take());
    return pages;
}

}  // namespace

TEST(PageBlocks, PagesOverSeveralBlocksAreAlignedApartAndReusable) {
    struct Case {
        size_t pageBytes;
        size_t pageCount;  // enough for several blocks
    };
    for (const auto [pageBytes, pageCount] : {Case{8256, 600}, Case{300000, 40}}) {
        PageBlocks blocks(pageBytes, 64);
        std::vector<void*> pages = takePages(blocks, pageCount);
        std::set<void*> distinct(pages.begin(), pages.end());
        EXPECT_EQ(distinct.size(), pages.size());
        EXPECT_EQ(distinct.count(nullptr), 0u);
        for (void* page : pages) EXPECT_EQ(reinterpret_cast<uintptr_t>(page) % 64, 0u);
        expectPagesApart(pages, pageBytes);
        // Pool slots find their page from any of its bytes, at either end of every page.
        for (void* page : pages) {
            ASSERT_EQ(blocks.pageOf(page), page);
            ASSERT_EQ(blocks.pageOf(static_cast<char*>(page) + pageBytes - 1), page);
        }

        // A page given back is the next one handed out.
        blocks.give(pages[17]);
        EXPECT_EQ(blocks.take(), pages[17]);

        // Emptied blocks go back; what is taken afterwards is whole again.
        for (void* page : pages) blocks.give(page);
        pages = takePages(blocks, pageCount);
        expectPagesApart(pages, pageBytes);
        for (size_t index = 0; index < pages.size(); index += 2) blocks.give(pages[index]);
        for (size_t index = 0; index < pages.size(); index += 2) pages[index] = blocks.take();
        expectPagesApart(pages, pageBytes);
        for (void* page : pages) blocks.give(page);
    }
}
