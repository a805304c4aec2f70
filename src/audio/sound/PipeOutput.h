#pragma once
// An output for whole-home audio servers (Snapcast): raw PCM, signed 16-bit little-endian
// stereo at 48 kHz, written at real-time pace to a named pipe that it makes when missing.
// It writes only while something audible plays, so a reader sees an idle stream; without
// a reader the frames go nowhere at the same pace, and a reader that comes gets them.
// It keeps a short lead over the clock in the pipe, counted as latency, so positions and
// song ends follow the clock.

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "audio/sound/AudioOutput.h"
#include "audio/sound/FfmpegPointers.h"
#include "audio/sound/FifoWriter.h"

class PipeOutput : public AudioOutput {
public:
    static constexpr int kSampleRate = 48000;
    // What the pipe holds ahead of the clock: enough for this thread's scheduling hiccups
    // on a loaded machine (a reader that finds the pipe dry plays silence), under half of
    // what the pipe takes. Small beside the second Snapcast buffers anyway.
    static constexpr int kLeadFrames = kSampleRate * 3 / 10;

    explicit PipeOutput(std::string path) : path_(path), pipe_(std::move(path)) {}
    ~PipeOutput() override { stop(); }

    std::vector<std::string> deviceNames() const override { return {path_}; }
    int deviceChannels(int) const override { return 2; }
    bool emulated() const override { return true; }
    // Makes and opens the pipe, and the sample converter.
    int open(int device, int blockFrames, int rate) override;
    int sampleRate() const override { return kSampleRate; }
    int latencyFrames() const override { return kLeadFrames; }
    void start(Mixer& mixer) override;
    void stop() override { thread_ = {}; }
    std::string description() const override { return "Named pipe"; }

private:
    void run(Mixer& mixer, const std::stop_token& stop);
    // Converts a rendered block and hands it to the pipe.
    void deliver(size_t frames);

    std::string path_;
    FifoWriter pipe_;
    size_t blockFrames_ = 1024;
    ResamplerPtr converter_;
    std::vector<float> rendered_;
    std::vector<int16_t> samples_;
    std::jthread thread_;
};
