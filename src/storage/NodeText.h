#pragma once
// A node's name and value, and the 32-bit number of an entry node's library item, in 20
// bytes. Most tag texts are short, so they live in place and need no heap block, the
// common field names (FieldNames.h) as a one-byte code; an item number takes 4 of those
// bytes. A longer text lives in a block of its own, a common name as its code only: up to
// 64 bytes from the text pools (see NodePool.h), the rest from the heap.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "storage/FieldNames.h"

class NodeText {
public:
    // Name, NUL, value, NUL of up to this many bytes stay in place; with a common name, its
    // value and NUL. Beside an item number, 4 bytes fewer.
    static constexpr size_t kInlineBytes = 19;
    static constexpr size_t kInlineBytesWithItem = kInlineBytes - sizeof(uint32_t);
    // The value offset is one byte.
    static constexpr size_t kMaxNameLength = 254;

    NodeText() = default;
    ~NodeText() {
        if (held()) takeBlock();
    }
    NodeText(const NodeText&) = delete;
    NodeText& operator=(const NodeText&) = delete;

    // Both "" until the first assign; valid until the next assign or the next item number
    // that moves the text out.
    const char* name() const {
        if (held()) return heldCode() < kNoCode ? field_names::kNames[heldCode()].data() : heldText(0);
        return coded() ? field_names::kNames[code()].data() : bytes_;
    }
    const char* value() const {
        return held() ? heldText(heldOffset()) : coded() ? bytes_ : bytes_ + (form_ & kPlaceMask);
    }
    // True once assigned with exactly this name (so never for a node that has no text yet).
    // Inline, as it runs for every key of every entry while a view is built.
    bool hasName(std::string_view name) const {
        if (coded()) return field_names::kNames[code()] == name;
        if (!held()) return placedHasName(name);
        if (heldCode() < kNoCode) return field_names::kNames[heldCode()] == name;
        return heldHasName(name);
    }
    // The same for a name whose field_names::codeOf is `nameCode`: a common name compares
    // as its code, for walks that look one name up among many nodes.
    bool hasName(std::string_view name, size_t nameCode) const {
        if (coded()) return code() == nameCode;
        // A common name stays in place only as a code.
        if (!held()) return nameCode == kNoCode && placedHasName(name);
        if (heldCode() < kNoCode || nameCode < kNoCode) return heldCode() == nameCode;
        return heldHasName(name);
    }
    // `name` is at most kMaxNameLength bytes. Either text may point into this one; the item
    // number is kept.
    void assign(std::string_view name, std::string_view value);

    // 0 for none.
    uint32_t itemNumber() const {
        return held() ? load<uint32_t>(kItemAt) : form_ & kWithItem ? load<uint32_t>(kPlacedItemAt) : 0;
    }
    // Moves a text kept in place to a block when the number leaves it too little room.
    void setItemNumber(uint32_t number);

private:
    // form_ says where the text is: kHeld; in place with a coded name at kCoded + its code;
    // or in place with this value offset (0: no text yet). In place, kWithItem marks an
    // item number in the last 4 bytes.
    static constexpr uint8_t kHeld = 0xFF;
    static constexpr uint8_t kCoded = 0x80;
    static constexpr uint8_t kWithItem = 0x40;
    static constexpr uint8_t kPlaceMask = kWithItem - 1;
    static_assert(kInlineBytes <= kPlaceMask && field_names::kNames.size() <= kPlaceMask);
    static constexpr size_t kPlacedItemAt = kInlineBytesWithItem;
    // Held, the bytes carry the block pointer, the item number, the value offset, where the
    // block came from and the name's code (kNoCode for a name not common).
    static constexpr size_t kBlockAt = 0;
    static constexpr size_t kItemAt = 8;
    static constexpr size_t kOffsetAt = 12;
    static constexpr size_t kSourceAt = 13;
    static constexpr size_t kCodeAt = 14;
    static_assert(kCodeAt < kInlineBytes);
    static constexpr size_t kNoCode = field_names::kNames.size();

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
    size_t code() const { return form_ & kPlaceMask; }
    uint8_t heldOffset() const { return static_cast<uint8_t>(bytes_[kOffsetAt]); }
    size_t heldCode() const { return static_cast<uint8_t>(bytes_[kCodeAt]); }
    bool placedHasName(std::string_view name) const {
        const size_t offset = form_ & kPlaceMask;
        return offset != 0 && std::string_view(bytes_, offset - 1) == name;
    }
    bool heldHasName(std::string_view name) const {
        const char* block = load<char*>(kBlockAt);
        return block && std::string_view(block, heldOffset() - 1u) == name;
    }
    const char* heldText(size_t offset) const {
        const char* block = load<char*>(kBlockAt);
        return block ? block + offset : "";
    }
    // The bytes a text in place takes (0 without text).
    size_t placedBytes() const;
    // Drops any block and keeps `size` staged bytes in place, beside the item number if any.
    void setInPlace(const char* staged, size_t size, uint8_t form, uint32_t item);
    // Hands the block (null when there is none) to the caller.
    Block takeBlock();
    // Composes the text in a new block and holds it; either text may point into the old one.
    void holdNew(std::string_view name, std::string_view value, uint32_t item, size_t nameCode);
    void hold(Block block, uint8_t valueOffset, uint32_t item, size_t nameCode);

    char bytes_[kInlineBytes] = {};
    uint8_t form_ = 0;
};

static_assert(sizeof(NodeText) == 20);
