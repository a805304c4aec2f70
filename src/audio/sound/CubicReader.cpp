#include "audio/sound/CubicReader.h"

#include "audio/sound/FrameFifo.h"

namespace {

constexpr int kLookAhead = 2;

float interpolate(float before, float at, float next, float after, float t) {
    const float c1 = 0.5f * (next - before);
    const float c2 = before - 2.5f * at + 2.0f * next - 0.5f * after;
    const float c3 = 0.5f * (after - before) + 1.5f * (at - next);
    return ((c3 * t + c2) * t + c1) * t + at;
}

}  // namespace

void CubicReader::reset() { *this = CubicReader(); }

bool CubicReader::pull(FrameFifo& fifo, bool atEnd) {
    float frame[2] = {0.0f, 0.0f};
    if (fifo.readable() > 0) {
        fifo.pop(frame);
        ++consumed_;
    } else if (!atEnd) {
        return false;
    } else if (++padding_ > kLookAhead) {
        // The last real frame has left the play position.
        exhausted_ = true;
        return false;
    }
    for (int i = 0; i < 3; ++i) {
        window_[i][0] = window_[i + 1][0];
        window_[i][1] = window_[i + 1][1];
    }
    window_[3][0] = frame[0];
    window_[3][1] = frame[1];
    if (filled_ <= kLookAhead) ++filled_;
    return true;
}

size_t CubicReader::render(FrameFifo& fifo, float* out, size_t frames, double step, bool atEnd) {
    while (filled_ <= kLookAhead) {
        if (!pull(fifo, atEnd)) return 0;
    }
    size_t written = 0;
    while (written < frames) {
        while (phase_ >= 1.0) {
            if (!pull(fifo, atEnd)) return written;
            phase_ -= 1.0;
        }
        const auto t = static_cast<float>(phase_);
        for (int channel = 0; channel < 2; ++channel) {
            out[written * 2 + channel] = interpolate(window_[0][channel], window_[1][channel],
                                                     window_[2][channel], window_[3][channel], t);
        }
        ++written;
        phase_ += step;
    }
    return written;
}
