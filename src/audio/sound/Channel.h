#pragma once
// A handle on a sound playing in one of the mixer's voices. It goes stale when the sound
// is stopped, ends (once update() has delivered the end), is stolen or released; a stale
// handle's operations return kSoundErrInvalidHandle and leave their out values alone.
// Control thread only.

#include <cstdint>

#include "audio/sound/Voice.h"

class Mixer;

class Channel {
public:
    Channel(Mixer& mixer, Voice& voice) : mixer_(&mixer), voice_(&voice), generation_(voice.handleGeneration) {}

    int stop();
    int setPaused(bool paused);
    int getPaused(bool& paused) const;
    // 0.0 to 1.0; other values are clamped.
    int setVolume(float volume);
    // Hz: the source's own rate until set. Raising it plays faster and higher.
    int getFrequency(float& frequency) const;
    int setFrequency(float frequency);
    // The frequency against the source's own rate.
    int getSpeed(float& speed) const;
    // Milliseconds of the source from its start, as far as it has reached the output.
    int getPosition(uint32_t& ms) const;
    int setPosition(uint32_t ms);
    // Called from SoundSystem::update when the sound has played out (or failed to decode).
    int setCallback(ChannelEndCallback callback);

private:
    Voice* live() const;

    Mixer* mixer_;
    Voice* voice_;
    uint32_t generation_;
};
