#pragma once
// Decodes the audio stream of a MediaInput into interleaved stereo float frames at the
// output rate, with one fixed conversion. Used by one thread at a time.

#include <cstdint>
#include <memory>
#include <vector>

#include "audio/sound/FfmpegPointers.h"
#include "audio/sound/MediaInput.h"

class MediaDecoder {
public:
    // A sound result code; on success `decoder` owns the input.
    static int open(std::unique_ptr<MediaInput> input, int outputRate, std::unique_ptr<MediaDecoder>& decoder);

    const MediaInput& input() const { return *input_; }
    int sourceRate() const { return codec_->sample_rate; }

    // Appends the next decoded frames; false once the stream has ended. Corrupt packets
    // are skipped; a long run of them ends the stream like its end.
    bool decode(std::vector<float>& frames);
    // Moves to `ms`; later decodes drop what lies before it. False when it cannot seek.
    bool seek(uint32_t ms);

private:
    MediaDecoder(std::unique_ptr<MediaInput> input, int outputRate);
    int openCodec();
    bool feedDecoder();
    void convert(const AVFrame& frame, std::vector<float>& frames);
    void appendConverted(const float* samples, int count, std::vector<float>& frames);

    std::unique_ptr<MediaInput> input_;
    int outputRate_;
    CodecContextPtr codec_;
    ResamplerPtr resampler_;
    PacketPtr packet_;
    FramePtr frame_;
    std::vector<float> converted_;
    int outputChannels_ = 2;
    int badPackets_ = 0;
    int64_t skipUntil_ = -1;  // in source samples; -1 when nothing is to be dropped
    bool draining_ = false;
    bool ended_ = false;
};
