#include "storage/NodeText.h"

#include <algorithm>

#include "storage/NodePool.h"

namespace {

void compose(char* out, std::string_view name, std::string_view value) {
    out = std::copy(name.begin(), name.end(), out);
    *out++ = '\0';
    out = std::copy(value.begin(), value.end(), out);
    *out = '\0';
}

}  // namespace

void NodeText::BlockReturn::operator()(char* block) const {
    if (source == 0) {
        delete[] block;
    } else {
        textPool(source).release(block);
    }
}

NodeText::Block NodeText::newBlock(size_t size) {
    if (const uint8_t source = textPoolFor(size)) {
        if (void* slot = textPool(source).allocate()) return Block(static_cast<char*>(slot), BlockReturn{source});
    }
    return Block(new char[size]);
}

// The new text is composed in full before the old one goes, because either text may point
// into it.
void NodeText::assign(std::string_view name, std::string_view value) {
    const size_t size = name.size() + value.size() + 2;
    const auto valueOffset = static_cast<uint8_t>(name.size() + 1);
    const uint32_t item = itemNumber();
    const size_t room = item ? kInlineBytesWithItem : kInlineBytes;
    char staged[kInlineBytes];
    const size_t code = field_names::codeOf(name);
    if (code < field_names::kNames.size() && value.size() < room) {
        *std::copy(value.begin(), value.end(), staged) = '\0';
        setInPlace(staged, value.size() + 1, static_cast<uint8_t>(kCoded + code), item);
        return;
    }
    if (size <= room) {
        compose(staged, name, value);
        setInPlace(staged, size, valueOffset, item);
        return;
    }
    holdNew(name, value, item, code);
}

size_t NodeText::placedBytes() const {
    if (coded()) return std::strlen(bytes_) + 1;
    const size_t offset = form_ & kPlaceMask;
    return offset == 0 ? 0 : offset + std::strlen(bytes_ + offset) + 1;
}

void NodeText::setInPlace(const char* staged, size_t size, uint8_t form, uint32_t item) {
    takeBlock();
    std::memcpy(bytes_, staged, size);
    form_ = form;
    if (item) {
        store(kPlacedItemAt, item);
        form_ |= kWithItem;
    }
}

void NodeText::setItemNumber(uint32_t number) {
    if (held()) {
        store(kItemAt, number);
        return;
    }
    if (!number || placedBytes() <= kInlineBytesWithItem) {
        form_ = static_cast<uint8_t>(number ? form_ | kWithItem : form_ & ~kWithItem);
        if (number) store(kPlacedItemAt, number);
        return;
    }
    const std::string_view name = this->name();
    holdNew(name, value(), number, field_names::codeOf(name));
}

NodeText::Block NodeText::takeBlock() {
    if (!held()) return nullptr;
    Block block(load<char*>(kBlockAt), BlockReturn{static_cast<uint8_t>(bytes_[kSourceAt])});
    store<char*>(kBlockAt, nullptr);
    return block;
}

// A common name is known by its code, so its block keeps the value alone.
void NodeText::holdNew(std::string_view name, std::string_view value, uint32_t item, size_t nameCode) {
    const std::string_view kept = nameCode < kNoCode ? std::string_view() : name;
    Block block = newBlock(kept.size() + value.size() + 2);
    compose(block.get(), kept, value);
    hold(std::move(block), static_cast<uint8_t>(kept.size() + 1), item, nameCode);
}

void NodeText::hold(Block block, uint8_t valueOffset, uint32_t item, size_t nameCode) {
    takeBlock();
    bytes_[kCodeAt] = static_cast<char>(nameCode);
    bytes_[kSourceAt] = static_cast<char>(block.get_deleter().source);
    store(kBlockAt, block.release());
    store(kItemAt, item);
    bytes_[kOffsetAt] = static_cast<char>(valueOffset);
    form_ = kHeld;
}
