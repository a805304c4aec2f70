#pragma once
// A node's name and value, and the library item of an entry node, in 20 bytes. Most tag
// texts are short, so they live in place and need no heap block, the common field names
// (FieldNames.h) as a one-byte code; a longer text lives in a block of its own, and so
// does any text beside an item, whose pointer takes the room. Blocks of up to 64 bytes
// come from the text pools (see NodePool.h), the rest from the heap.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "storage/FieldNames.h"

struct LibraryItem;

class NodeText {
public:
    // Name, NUL, value, NUL of up to this many bytes stay in place (without an item); with
    // a common name, its value and NUL.
    static constexpr size_t kInlineBytes = 19;
    // The value offset is one byte.
    static constexpr size_t kMaxNameLength = 254;

    NodeText() = default;
    ~NodeText() {
        if (held()) takeBlock();
    }
    NodeText(const NodeText&) = delete;
    NodeText& operator=(const NodeText&) = delete;

    // Both "" until the first assign; valid until the next assign or the first non-null item.
    const char* name() const {
        return held() ? heldText(0) : coded() ? field_names::kNames[form_ - kCoded].data() : bytes_;
    }
    const char* value() const {
        return held() ? heldText(heldOffset()) : coded() ? bytes_ : bytes_ + form_;
    }
    // True once assigned with exactly this name (so never for a node that has no text yet).
    // Inline, as it runs for every key of every entry while a view is built.
    bool hasName(std::string_view name) const {
        if (coded()) return field_names::kNames[form_ - kCoded] == name;
        if (!held()) return form_ != 0 && std::string_view(bytes_, form_ - 1u) == name;
        const char* block = load<char*>(kBlockAt);
        return block && std::string_view(block, heldOffset() - 1u) == name;
    }
    // `name` is at most kMaxNameLength bytes. Either text may point into this one; the item
    // is kept.
    void assign(std::string_view name, std::string_view value);

    LibraryItem* item() const { return held() ? load<LibraryItem*>(kItemAt) : nullptr; }
    // A first non-null item moves a text kept in place to the heap.
    void setItem(LibraryItem* item);

private:
    // form_ says where the text is: kHeld; in place with a coded name at kCoded + its code;
    // or in place with this value offset (0: no text yet).
    static constexpr uint8_t kHeld = 0xFF;
    static constexpr uint8_t kCoded = 0x80;
    static_assert(kInlineBytes < kCoded && kCoded + field_names::kNames.size() < kHeld);
    // Held, the bytes carry the block pointer, the item pointer, the value offset and where
    // the block came from.
    static constexpr size_t kBlockAt = 0;
    static constexpr size_t kItemAt = 8;
    static constexpr size_t kOffsetAt = 16;
    static constexpr size_t kSourceAt = 17;
    static_assert(kSourceAt < kInlineBytes);

    // Gives a block back where it came from; `source` is the pool's number, 0 for the heap.
    struct BlockReturn {
        uint8_t source = 0;
        void operator()(char* block) const;
    };
    using Block = std::unique_ptr<char[], BlockReturn>;
    // An uninitialised block of `size` bytes; from a pool when one fits and can grow.
    static Block newBlock(size_t size);

    template <typename T>
    T load(size_t at) const {
        T field;
        std::memcpy(&field, bytes_ + at, sizeof field);
        return field;
    }
    template <typename T>
    void store(size_t at, T field) {
        std::memcpy(bytes_ + at, &field, sizeof field);
    }

    bool held() const { return form_ == kHeld; }
    bool coded() const { return form_ >= kCoded && form_ != kHeld; }
    uint8_t heldOffset() const { return static_cast<uint8_t>(bytes_[kOffsetAt]); }
    const char* heldText(size_t offset) const {
        const char* block = load<char*>(kBlockAt);
        return block ? block + offset : "";
    }
    // Drops any block and keeps `size` staged bytes in place.
    void setInPlace(const char* staged, size_t size, uint8_t form);
    // Hands the block (null when there is none) to the caller.
    Block takeBlock();
    void hold(Block block, uint8_t valueOffset, LibraryItem* item);

    char bytes_[kInlineBytes] = {};
    uint8_t form_ = 0;
};

static_assert(sizeof(NodeText) == 20);
