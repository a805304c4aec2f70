#pragma once
// A growable block of bytes: file contents, network data, one line being read.

#include <cstdint>
#include <string_view>
#include <vector>

class ByteBuffer {
public:
    void clear() { bytes_.clear(); }
    // Grows to at least `size` bytes (never shrinks) and returns the block.
    uint8_t* reserve(size_t size);
    void append(const void* bytes, size_t count);
    void append(std::string_view text) { append(text.data(), text.size()); }
    void erase(size_t position, size_t count);
    void resize(size_t size) { bytes_.resize(size); }

    uint8_t* data() { return bytes_.data(); }
    const uint8_t* data() const { return bytes_.data(); }
    size_t size() const { return bytes_.size(); }
    bool empty() const { return bytes_.empty(); }
    std::string_view view() const {
        return {reinterpret_cast<const char*>(bytes_.data()), bytes_.size()};
    }

private:
    std::vector<uint8_t> bytes_;
};
