#pragma once
// The process-wide pool every LibraryItem comes from, built during static initialisation,
// and the 32-bit numbers by which entry nodes name their items.

#include <cstdint>

#include "storage/CachedPool.h"
#include "storage/Node.h"

struct LibraryItem;

extern CachedPool theLibraryItemPool;

// Never 0 for an item; 0 for null.
inline uint32_t itemNumberOf(const LibraryItem* item) { return item ? theLibraryItemPool.pool().numberOf(item) : 0; }
// The item of a number from itemNumberOf while the item lives; 0 gives null.
inline LibraryItem* itemAt(uint32_t number) { return static_cast<LibraryItem*>(theLibraryItemPool.pool().slotOf(number)); }
// The item that names this entry node, null for none; inline, as a view build asks it of
// every entry.
inline LibraryItem* itemOf(const Node& node) { return itemAt(node.itemNumber()); }
