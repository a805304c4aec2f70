#include "audio/sound/CubicReader.h"

#include <algorithm>

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

size_t CubicReader::copyUnchanged(FrameFifo& fifo, float* out, size_t frames) {
    size_t written = 0;
    if (phase_ == 0.0 && frames > 0) {
        out[0] = window_[1][0];
        out[1] = window_[1][1];
        written = 1;
        phase_ = 1.0;
    }
    // Each further frame pulls one: out come the window's last two, then the fifo's frames
    // but its last two, which stay in the window.
    const size_t pulls = std::min(frames - written, fifo.readable());
    if (pulls == 0) return written;
    float* at = out + written * 2;
    const size_t fromWindow = std::min<size_t>(pulls, kLookAhead);
    std::copy_n(&window_[2][0], fromWindow * 2, at);
    const size_t direct = pulls - fromWindow;
    fifo.read(at + fromWindow * 2, direct);
    float tail[kLookAhead][2];
    fifo.read(&tail[0][0], fromWindow);
    // The window after `pulls` shifts: the last four of its frames and the pulled ones.
    float next[4][2];
    for (size_t i = 0; i < 4; ++i) {
        const size_t index = pulls + i;  // in the window's frames followed by the pulled ones
        const float* frame = index < 4                  ? window_[index]
                             : index - 4 < direct       ? at + (fromWindow + index - 4) * 2
                                                        : tail[index - 4 - direct];
        next[i][0] = frame[0];
        next[i][1] = frame[1];
    }
    std::copy_n(&next[0][0], 8, &window_[0][0]);
    consumed_ += pulls;
    return written + pulls;
}

size_t CubicReader::render(FrameFifo& fifo, float* out, size_t frames, double step, bool atEnd) {
    while (filled_ <= kLookAhead) {
        if (!pull(fifo, atEnd)) return 0;
    }
    size_t written = 0;
    // Interpolating at a whole frame gives that frame, so plain copies are the same sound.
    if (step == 1.0 && (phase_ == 0.0 || phase_ == 1.0)) written = copyUnchanged(fifo, out, frames);
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
