#pragma once
// A lock-free ring of interleaved stereo float frames from one decoder thread (the
// producer) to the render step (the consumer). A seek starts a new generation: frames
// written before it are stale, and the consumer skips them once the producer has reached
// the generation it asks for.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

class FrameFifo {
public:
    static constexpr int kChannels = 2;

    // Holds at least `minimumFrames` frames.
    explicit FrameFifo(size_t minimumFrames);
    FrameFifo(const FrameFifo&) = delete;
    FrameFifo& operator=(const FrameFifo&) = delete;

    size_t capacity() const { return mask_ + 1; }

    // Producer side.
    size_t writable() const;
    // Copies `count` frames; count must not exceed writable().
    void write(const float* frames, size_t count);
    // Everything written so far belongs to older generations.
    void startGeneration(uint16_t generation);
    // No more frames will come in the current generation.
    void finish();

    // Consumer side.
    // Skips the stale frames once the producer has reached `generation`; false before.
    bool catchUp(uint16_t generation);
    size_t readable() const;
    // Frames the reader has taken (or skipped) in all.
    uint64_t taken() const { return readIndex_.load(std::memory_order_acquire); }
    // True when the producer has finished `generation`; frames may still be readable.
    bool finished(uint16_t generation) const;
    // Takes the next frame (two samples); readable() must be positive.
    void pop(float* frame);
    // Takes the next `count` frames; count must not exceed readable().
    void read(float* frames, size_t count);

private:
    // generation in the top 16 bits, the finished flag in bit 47, then the frame index at
    // which the generation starts: one value, so the consumer never sees a mix of two.
    static constexpr uint64_t kFinishedBit = uint64_t{1} << 47;
    static constexpr uint64_t kIndexMask = kFinishedBit - 1;
    static uint16_t generationOf(uint64_t state) { return static_cast<uint16_t>(state >> 48); }

    std::vector<float> samples_;
    size_t mask_;
    std::atomic<uint64_t> writeIndex_{0};
    std::atomic<uint64_t> readIndex_{0};
    std::atomic<uint64_t> state_{0};
};
