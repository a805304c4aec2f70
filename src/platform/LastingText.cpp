#include "platform/LastingText.h"

#include <cstring>

#include "platform/Memory.h"

LastingText::LastingText(std::string_view text) : size_(text.size()) {
    if (text.empty()) return;
    bytes_.reset(static_cast<char*>(allocateLasting(text.size())));
    std::memcpy(bytes_.get(), text.data(), text.size());
}

void LastingText::Free::operator()(char* block) const { freeLasting(block); }
