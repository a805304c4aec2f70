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
    auto* item = new (slot) LibraryItem{&node, nextId_++, folder};
    buckets_[item->id % kBuckets].push_back(item);
    node.setItemNumber(itemNumberOf(item));
    return item;
}

LibraryItem* LibraryItemIndex::find(int32_t id) const {
    if (id < 0) return nullptr;
    const auto& bucket = buckets_[id % kBuckets];
    const auto found = std::find_if(bucket.begin(), bucket.end(), [id](const LibraryItem* item) {
        return item->id == id;
    });
    return found == bucket.end() ? nullptr : *found;
}

LibraryItem* LibraryItemIndex::findByPath(std::string_view path) const {
    const std::string_view name = fileNameOf(path);
    for (const auto& bucket : buckets_) {
        for (LibraryItem* item : bucket) {
            if (item->node->value() == name && item->location(true) == path) return item;
        }
    }
    return nullptr;
}

void LibraryItemIndex::retire(LibraryItem& item) {
    auto& bucket = buckets_[item.id % kBuckets];
    const auto found = std::find(bucket.begin(), bucket.end(), &item);
    if (found == bucket.end()) return;
    bucket.erase(found);
    item.node->setItemNumber(0);
    item.~LibraryItem();
    theLibraryItemPool.release(&item);
}

void LibraryItemIndex::releaseAll() {
    for (auto& bucket : buckets_) {
        for (LibraryItem* item : bucket) {
            item->~LibraryItem();
            theLibraryItemPool.release(item);
        }
        bucket.clear();
    }
}
