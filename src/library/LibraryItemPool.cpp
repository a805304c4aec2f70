#include "library/LibraryItemPool.h"

#include "library/LibraryItem.h"

CachedPool theLibraryItemPool(sizeof(LibraryItem), 64, alignof(LibraryItem));
