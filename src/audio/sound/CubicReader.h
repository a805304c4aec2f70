#pragma once
// Reads a FrameFifo at any speed: each output frame advances `step` source frames, and
// samples between two source frames are interpolated with a cubic through four of them.
// At step 1.0 the source comes out unchanged. Render thread only.

#include <cstddef>
#include <cstdint>

class FrameFifo;

class CubicReader {
public:
    // Forgets the window: the next frame read is the first one played.
    void reset();

    // Writes up to `frames` stereo frames to `out`. Stops early when the fifo runs dry,
    // unless `atEnd` says no more frames will come: the window then plays out with
    // silence behind it. Returns the frames written.
    size_t render(FrameFifo& fifo, float* out, size_t frames, double step, bool atEnd);

    // Source frames taken from the fifo since reset().
    uint64_t consumed() const { return consumed_; }
    // The last source frame has been played.
    bool exhausted() const { return exhausted_; }

private:
    // Shifts the next frame into the window; false when there is none yet.
    bool pull(FrameFifo& fifo, bool atEnd);
    // At step 1.0 on a whole frame the output is the window's frame at the position:
    // copies as many frames as the fifo holds, moving the window past them. Returns the
    // frames written.
    size_t copyUnchanged(FrameFifo& fifo, float* out, size_t frames);

    float window_[4][2] = {};  // the frames before, at, and the two after the position
    double phase_ = 0.0;       // position between window_[1] and window_[2]
    int filled_ = 0;           // frames pulled since reset, up to the three needed
    int padding_ = 0;          // silent frames pulled after the end
    uint64_t consumed_ = 0;
    bool exhausted_ = false;
};
