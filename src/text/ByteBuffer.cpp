#include "text/ByteBuffer.h"

#include <cstring>

uint8_t* ByteBuffer::reserve(size_t size) {
    if (bytes_.size() < size) bytes_.resize(size);
    return bytes_.data();
}

void ByteBuffer::append(const void* bytes, size_t count) {
    const auto* first = static_cast<const uint8_t*>(bytes);
    bytes_.insert(bytes_.end(), first, first + count);
}

void ByteBuffer::erase(size_t position, size_t count) {
    if (position >= bytes_.size()) return;
    count = std::min(count, bytes_.size() - position);
    bytes_.erase(bytes_.begin() + static_cast<std::ptrdiff_t>(position),
                 bytes_.begin() + static_cast<std::ptrdiff_t>(position + count));
}
