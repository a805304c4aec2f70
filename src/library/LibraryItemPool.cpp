#include "library/LibraryItemPool.h"

#include "library/LibraryItem.h"
#include "storage/Node.h"

CachedPool theLibraryItemPool(sizeof(LibraryItem), 64, alignof(LibraryItem));

LibraryItem* itemOf(const Node& node) {
    return static_cast<LibraryItem*>(theLibraryItemPool.pool().slotOf(node.itemNumber()));
}
