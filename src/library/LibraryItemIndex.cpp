#include "library/LibraryItemIndex.h"

#include <algorithm>
#include <new>

#include "library/LibraryItem.h"
#include "library/LibraryItemPool.h"
#include "storage/Node.h"
#include "text/TextSearch.h"

LibraryItemIndex::~LibraryItemIndex() {
    releaseAll();
}

LibraryItem* LibraryItemIndex::create(Node& node, RepositoryFolder* folder) {
    void* slot = theLibraryItemPool.allocate();
    if (!slot) return nullptr;
    auto* item = new (slot) LibraryItem{node.number(), nextId_++, folder};
    const uint32_t number = itemNumberOf(item);
    buckets_[item->id % kBuckets].push_back(number);
    node.setItemNumber(number);
    return item;
}

LibraryItem* LibraryItemIndex::find(int32_t id) const {
    if (id < 0) return nullptr;
    for (const uint32_t number : buckets_[id % kBuckets]) {
        if (LibraryItem* item = itemAt(number); item->id == id) return item;
    }
    return nullptr;
}

LibraryItem* LibraryItemIndex::findByPath(std::string_view path) const {
    const std::string_view name = fileNameOf(path);
    for (const auto& bucket : buckets_) {
        for (const uint32_t number : bucket) {
            LibraryItem* item = itemAt(number);
            if (item->node()->value() == name && item->location(true) == path) return item;
        }
    }
    return nullptr;
}

void LibraryItemIndex::retire(LibraryItem& item) {
    auto& bucket = buckets_[item.id % kBuckets];
    const auto found = std::find(bucket.begin(), bucket.end(), itemNumberOf(&item));
    if (found == bucket.end()) return;
    bucket.erase(found);
    item.node()->setItemNumber(0);
    item.~LibraryItem();
    theLibraryItemPool.release(&item);
}

void LibraryItemIndex::releaseAll() {
    for (auto& bucket : buckets_) {
        for (const uint32_t number : bucket) {
            LibraryItem* item = itemAt(number);
            item->~LibraryItem();
            theLibraryItemPool.release(item);
        }
        bucket.clear();
    }
}
