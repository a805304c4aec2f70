#include "views/ListedItems.h"

#include "library/LibraryItemPool.h"

LibraryItem* ListedItems::operator[](size_t position) const { return itemAt(numbers_[position]); }

LibraryItem* ListedItems::Iterator::operator*() const { return itemAt(*at_); }
