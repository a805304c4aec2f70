#pragma once
// The render step: pulls every playing voice through its cubic reader at its speed and
// volume, sums them, and runs the equaliser chain over the sum. The output's thread (or
// device callback) calls render; it never blocks and never calls FFmpeg. Everything else
// is called by the control thread.

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <stop_token>
#include <vector>

#include "audio/sound/Voice.h"

class ParamEqUnit;

class Mixer {
public:
    static constexpr size_t kMaxUnits = 8;

    Mixer(size_t voiceCount, int sampleRate);
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // Render thread. Fills `frames` stereo frames (silence where nothing plays).
    void render(float* out, size_t frames);
    enum class Feed { kRendered, kStarving, kSilent };
    // As render, but only when something audible plays and every playing voice has the
    // frames the block needs: an output that must not record gaps waits otherwise, briefly
    // while a voice starves, longer while nothing plays.
    Feed renderIfFed(float* out, size_t frames);
    // Output thread: sleeps until a voice plays (see anyVoicePlays) or `stop` is requested,
    // so an output with nothing to play does not tick.
    void waitUntilPlaying(const std::stop_token& stop);

    // Control thread.
    int sampleRate() const { return sampleRate_; }
    void setLatencyFrames(int frames) { latencyFrames_ = frames; }
    int latencyFrames() const { return latencyFrames_; }
    size_t voiceCount() const { return voices_.size(); }
    Voice& voice(size_t index) { return *voices_[index]; }
    // A free voice, else the one started longest ago (stopped first, without callback).
    Voice& claimVoice();
    void startVoice(Voice& voice, StreamDecoder& source, const Sound& sound, bool paused);
    // Pauses or resumes a started voice; its decoder and a waiting output hear of it.
    void setPaused(Voice& voice, bool paused);
    // Frees the voice; once this returns the render step no longer touches it.
    void stopVoice(Voice& voice);
    void stopVoicesOf(const Sound& sound);
    // True when a voice has a source, is not paused and has not ended.
    bool anyVoicePlays() const;
    // Adds a unit to the end of the chain; false when the chain is full.
    bool addUnit(ParamEqUnit& unit);

private:
    void renderBlock(float* out, size_t frames);
    void renderVoice(Voice& voice, float* out, size_t frames);
    Feed feed(size_t frames) const;
    void waitForRender() const;
    // Tells a waiting output that a voice may play now.
    void wakeOutput();

    int sampleRate_;
    int latencyFrames_ = 0;
    std::vector<std::unique_ptr<Voice>> voices_;
    std::array<std::atomic<ParamEqUnit*>, kMaxUnits> units_{};
    std::atomic<size_t> unitCount_{0};
    std::atomic<bool> rendering_{false};
    uint64_t starts_ = 0;
    std::vector<float> scratch_;  // render thread only
    std::mutex playingMutex_;
    std::condition_variable_any playing_;
};
