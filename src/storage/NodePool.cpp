#include "storage/NodePool.h"

#include "storage/Node.h"

// In one file, so the text pools are built after the node pool and freed before it.
CachedPool theNodePool(sizeof(Node), 128, alignof(Node));

namespace {

// About 8 KB pages, as the slot count is one byte.
CachedPool theShortTextPool(kTextPoolSlotBytes[1], 255, 8);
CachedPool theLongTextPool(kTextPoolSlotBytes[2], 127, 8);

}  // namespace

CachedPool& textPool(uint8_t source) { return source == 1 ? theShortTextPool : theLongTextPool; }
