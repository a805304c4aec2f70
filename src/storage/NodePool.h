#pragma once
// The process-wide pool every Node comes from, and the two pools of the node texts that do
// not fit in place. They are built during static initialisation and freed at exit, so no
// Node may be created by another static initialiser.

#include <cstddef>
#include <cstdint>

#include "storage/CachedPool.h"

extern CachedPool theNodePool;
inline CachedPool& nodePool() { return theNodePool; }

// Texts have pools of their own so that the long-lived ones (an entry's file name, long
// tags) are not scattered among short-lived heap blocks, which would keep whole heap pages
// from going back to the system. Pool 1 has 32-byte slots, pool 2 64-byte ones.
inline constexpr size_t kTextPoolSlotBytes[] = {0, 32, 64};
// The smallest text pool for a block of `size` bytes, 0 when none fits.
inline uint8_t textPoolFor(size_t size) {
    return size <= kTextPoolSlotBytes[1] ? 1 : size <= kTextPoolSlotBytes[2] ? 2 : 0;
}
// `source` is 1 or 2.
CachedPool& textPool(uint8_t source);
