#pragma once
// The items of one repository by id: 101 buckets by id modulo 101, each in creation order,
// of the items' 32-bit pool numbers (LibraryItemPool.h), half the size of pointers. Ids
// start at 1 and are never reused. Used under the application lock only.

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

class Node;
class RepositoryFolder;
struct LibraryItem;

class LibraryItemIndex {
public:
    static constexpr int32_t kBuckets = 101;

    LibraryItemIndex() = default;
    // Returns every item to the pool without touching their nodes.
    ~LibraryItemIndex();
    LibraryItemIndex(const LibraryItemIndex&) = delete;
    LibraryItemIndex& operator=(const LibraryItemIndex&) = delete;

    // A new item with the next id, stored in the node's item field; the caller makes sure
    // the node has none yet. Null when the pool cannot grow.
    LibraryItem* create(Node& node, RepositoryFolder* folder);
    LibraryItem* find(int32_t id) const;
    // The first item, bucket by bucket, whose node value is the path's file name and whose
    // location with folder is the path itself.
    LibraryItem* findByPath(std::string_view path) const;
    // Takes the item out of the index, clears its node's item field and frees it; its id
    // finds nothing afterwards. The node must still exist.
    void retire(LibraryItem& item);
    // Frees every item (at shutdown); nodes keep stale item fields.
    void releaseAll();

private:
    std::array<std::vector<uint32_t>, kBuckets> buckets_;
    int32_t nextId_ = 1;
};
