#include <gtest/gtest.h>

#include <vector>

#include "library/LibraryItem.h"
#include "library/LibraryItemIndex.h"
#include "library/LibraryItemPool.h"
#include "storage/Node.h"

// Entry nodes name their items by the pool's slot numbers, which count from each 2 MiB
// block's table slot: 200,000 items fill three blocks, and the second round maps blocks
// again after the first gave them back.
TEST(LibraryItems, EveryEntryFindsItsOwnItemAcrossPoolBlocks) {
    for (int round = 0; round < 2; ++round) {
        Node content;
        LibraryItemIndex index;
        std::vector<LibraryItem*> items;
        for (int i = 0; i < 200'000; ++i) items.push_back(index.create(*content.appendChild("AUDIO", "01 Title.mp3"), nullptr));
        for (size_t i = 0; i < items.size(); i += 2) index.retire(*items[i]);
        size_t i = 0;
        for (const Node& entry : content.children()) {
            ASSERT_EQ(itemOf(entry), i % 2 ? items[i] : nullptr) << i;
            if (i % 2) {
                ASSERT_EQ(items[i]->node(), &entry);
            }
            EXPECT_STREQ(entry.value(), "01 Title.mp3");
            ++i;
        }
        EXPECT_EQ(itemNumberOf(nullptr), 0u);
    }
}
