#include "storage/NodeText.h"

#include <algorithm>

namespace {

void compose(char* out, std::string_view name, std::string_view value) {
    out = std::copy(name.begin(), name.end(), out);
    *out++ = '\0';
    out = std::copy(value.begin(), value.end(), out);
    *out = '\0';
}

}  // namespace

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
    auto block = std::make_unique_for_overwrite<char[]>(size);
    compose(block.get(), name, value);
    hold(std::move(block), valueOffset, keptItem);
}

void NodeText::setItem(LibraryItem* item) {
    if (held()) {
        store(kItemAt, item);
        return;
    }
    if (!item) return;
    std::unique_ptr<char[]> block;
    if (form_ != 0) {
        const size_t size = form_ + std::strlen(bytes_ + form_) + 1;
        block = std::make_unique_for_overwrite<char[]>(size);
        std::memcpy(block.get(), bytes_, size);
    }
    hold(std::move(block), form_, item);
}

std::unique_ptr<char[]> NodeText::takeBlock() {
    if (!held()) return nullptr;
    std::unique_ptr<char[]> block(load<char*>(kBlockAt));
    store<char*>(kBlockAt, nullptr);
    return block;
}

void NodeText::hold(std::unique_ptr<char[]> block, uint8_t valueOffset, LibraryItem* item) {
    takeBlock();
    store(kBlockAt, block.release());
    store(kItemAt, item);
    bytes_[kOffsetAt] = static_cast<char>(valueOffset);
    form_ = kHeld;
}
