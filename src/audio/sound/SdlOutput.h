#pragma once
// The sound device through SDL2. Its callback only renders the mixer: it never blocks and
// never calls FFmpeg.

#include <atomic>
#include <cstdint>
#include <string>

#include <SDL2/SDL_audio.h>

#include "audio/sound/AudioOutput.h"

class SdlOutput : public AudioOutput {
public:
    static constexpr int kPreferredRate = 44100;

    // Starts SDL's audio with the named driver; an empty name lets SDL choose.
    explicit SdlOutput(const std::string& driver);
    ~SdlOutput() override;
    SdlOutput(const SdlOutput&) = delete;
    SdlOutput& operator=(const SdlOutput&) = delete;

    std::vector<std::string> deviceNames() const override;
    int deviceChannels(int device) const override;
    bool emulated() const override { return false; }
    // A device index outside the list opens SDL's default device.
    int open(int device, int blockFrames, int rate) override;
    int sampleRate() const override { return obtained_.freq; }
    int latencyFrames() const override { return obtained_.samples; }
    void start(Mixer& mixer) override;
    void stop() override;
    std::string description() const override;

private:
    static void pull(void* self, uint8_t* stream, int length);

    bool audioStarted_ = false;
    SDL_AudioDeviceID device_ = 0;
    SDL_AudioSpec obtained_{};
    std::atomic<Mixer*> mixer_{nullptr};
};
