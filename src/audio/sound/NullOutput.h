#pragma once
// An output that plays nothing but takes the mixer's frames at real-time pace, so songs
// take their time and end as they would on a device.

#include <thread>

#include "audio/sound/AudioOutput.h"

class NullOutput : public AudioOutput {
public:
    static constexpr int kSampleRate = 44100;

    std::vector<std::string> deviceNames() const override { return {"No sound"}; }
    int deviceChannels(int) const override { return 2; }
    bool emulated() const override { return true; }
    int open(int device, int blockFrames, int rate) override;
    int sampleRate() const override { return kSampleRate; }
    int latencyFrames() const override { return 0; }
    void start(Mixer& mixer) override;
    void stop() override { thread_ = {}; }
    std::string description() const override { return "No sound"; }

private:
    void run(Mixer& mixer, const std::stop_token& stop) const;

    int blockFrames_ = 1024;
    std::jthread thread_;
};
