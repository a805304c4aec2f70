#pragma once
// An output that writes what would be played to a WAV file (stereo 32-bit float) as fast
// as the decoders deliver it. It writes only while something audible plays and every
// playing sound has its frames ready, so the file holds the sounds without gaps, pauses
// or underruns. The header is completed when the output stops.

#include <cstdint>
#include <string>
#include <thread>

#include "audio/sound/AudioOutput.h"
#include "platform/DiskFile.h"

class WavFileOutput : public AudioOutput {
public:
    static constexpr int kSampleRate = 44100;

    explicit WavFileOutput(std::string path) : path_(std::move(path)) {}
    ~WavFileOutput() override { stop(); }

    std::vector<std::string> deviceNames() const override { return {path_}; }
    int deviceChannels(int) const override { return 2; }
    bool emulated() const override { return true; }
    int open(int device, int blockFrames, int rate) override;
    int sampleRate() const override { return kSampleRate; }
    int latencyFrames() const override { return 0; }
    void start(Mixer& mixer) override;
    void stop() override;
    std::string description() const override { return "WAV file"; }

private:
    void run(Mixer& mixer, const std::stop_token& stop);
    void writeHeader();

    std::string path_;
    int blockFrames_ = 1024;
    DiskFile file_;
    uint64_t dataBytes_ = 0;
    std::jthread thread_;
};
