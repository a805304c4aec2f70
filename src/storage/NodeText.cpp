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
    LibraryItem* const keptItem = item();
    if (size <= kInlineBytes && !keptItem) {
        char staged[kInlineBytes];
        compose(staged, name, value);
        takeBlock();
        std::memcpy(bytes_, staged, size);
        form_ = valueOffset;
        return;
    }
    Block block = newBlock(size);
    compose(block.get(), name, value);
    hold(std::move(block), valueOffset, keptItem);
}

void NodeText::setItem(LibraryItem* item) {
    if (held()) {
        store(kItemAt, item);
        return;
    }
    if (!item) return;
    Block block;
    if (form_ != 0) {
        const size_t size = form_ + std::strlen(bytes_ + form_) + 1;
        block = newBlock(size);
        std::memcpy(block.get(), bytes_, size);
    }
    hold(std::move(block), form_, item);
}

NodeText::Block NodeText::takeBlock() {
    if (!held()) return nullptr;
    Block block(load<char*>(kBlockAt), BlockReturn{static_cast<uint8_t>(bytes_[kSourceAt])});
    store<char*>(kBlockAt, nullptr);
    return block;
}

void NodeText::hold(Block block, uint8_t valueOffset, LibraryItem* item) {
    takeBlock();
    bytes_[kSourceAt] = static_cast<char>(block.get_deleter().source);
    store(kBlockAt, block.release());
    store(kItemAt, item);
    bytes_[kOffsetAt] = static_cast<char>(valueOffset);
    form_ = kHeld;
}
