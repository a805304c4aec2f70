#pragma once
// The library view's listed items, kept as their 32-bit numbers in the item pool (half a
// pointer each) and read as pointers. A window on the view's lists: valid until they change.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>

struct LibraryItem;

class ListedItems {
public:
    explicit ListedItems(std::span<const uint32_t> numbers) : numbers_(numbers) {}

    LibraryItem* operator[](size_t position) const;
    size_t size() const { return numbers_.size(); }

    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = LibraryItem*;
        using difference_type = std::ptrdiff_t;
        using pointer = LibraryItem* const*;
        using reference = LibraryItem*;
        Iterator() = default;
        explicit Iterator(const uint32_t* at) : at_(at) {}
        LibraryItem* operator*() const;
        Iterator& operator++() {
            ++at_;
            return *this;
        }
        Iterator operator++(int) {
            const Iterator before = *this;
            ++at_;
            return before;
        }
        bool operator==(const Iterator&) const = default;

    private:
        const uint32_t* at_ = nullptr;
    };
    Iterator begin() const { return Iterator(numbers_.data()); }
    Iterator end() const { return Iterator(numbers_.data() + numbers_.size()); }

private:
    std::span<const uint32_t> numbers_;
};
