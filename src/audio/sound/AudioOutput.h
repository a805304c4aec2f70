#pragma once
// Where the mixer's frames go: a sound device, nowhere at real-time pace, or a WAV file.
// The output pulls stereo float frames from the mixer on its own thread or callback.

#include <string>
#include <vector>

class Mixer;

class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    // The devices ("drivers") it can open, by index.
    virtual std::vector<std::string> deviceNames() const = 0;
    // The speaker channels of a device; 2 when it cannot tell.
    virtual int deviceChannels(int device) const = 0;
    // True when no hardware plays: the block size is the output's own choice.
    virtual bool emulated() const = 0;

    // Opens the device for blocks of `blockFrames` at `rate` frames a second, or at its own
    // choice for 0 (an output of fixed rate fails on any other); a sound result code. The
    // sample rate and latency are known from then on.
    virtual int open(int device, int blockFrames, int rate) = 0;
    virtual int sampleRate() const = 0;
    // Frames that are handed over but not yet heard.
    virtual int latencyFrames() const = 0;
    // Starts pulling from the mixer, which must outlive stop().
    virtual void start(Mixer& mixer) = 0;
    // Stops pulling; no call into the mixer follows.
    virtual void stop() = 0;

    // What plays the sound, for the info page: "SDL 2.26", "No sound", "WAV file", "Named pipe".
    virtual std::string description() const = 0;
};
