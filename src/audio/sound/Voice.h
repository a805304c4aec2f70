#pragma once
// One playing slot of the mixer. The control thread (the one that holds the application
// lock) starts and stops it through the Mixer; the render step reads the atomics and
// reports progress and the end through them.

#include <atomic>
#include <cstdint>
#include <functional>

#include "audio/sound/CubicReader.h"

class Sound;
class StreamDecoder;

enum class ChannelEnd { kFinished, kFailed };
using ChannelEndCallback = std::function<void(ChannelEnd)>;

struct Voice {
    // Set by the control thread; null while the voice is free.
    std::atomic<StreamDecoder*> source{nullptr};
    std::atomic<bool> paused{false};
    std::atomic<float> volume{1.0f};
    std::atomic<float> frequency{0.0f};  // Hz; 0 plays at the source's own rate

    // Set by the render step.
    std::atomic<uint64_t> progress{0};  // generation << 48 | source frames consumed
    std::atomic<int> ended{0};          // 0, or 1 + ChannelEnd

    // Render step only while the voice plays; reset by the control thread while it is free.
    CubicReader reader;

    // Control thread only.
    uint32_t handleGeneration = 0;  // tells a live Channel from a stale one
    uint64_t startedAt = 0;         // start order, to pick the voice to steal
    const Sound* sound = nullptr;
    ChannelEndCallback onEnd;
};
