#pragma once
// A bounded byte ring from the network reader thread to the demuxer on the decoder
// thread. Both sides may block; abort() wakes them for good. Never used by the render step.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

class ByteRing {
public:
    explicit ByteRing(size_t capacity);

    // Blocks while the ring is full; false once aborted.
    bool write(const uint8_t* bytes, size_t count);
    // No more bytes will come.
    void finish();
    // Blocks until bytes arrive; 0 at the end of the data or after abort().
    size_t read(uint8_t* out, size_t count);
    void abort();

    bool aborted() const;
    // How full the ring is, 0 to 100.
    unsigned percentFull() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<uint8_t> bytes_;
    size_t start_ = 0;
    size_t used_ = 0;
    bool finished_ = false;
    bool aborted_ = false;
};
