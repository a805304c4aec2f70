#include "audio/sound/MediaDecoder.h"

#include <algorithm>
#include <span>

#include "audio/sound/SoundResult.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

namespace {

constexpr int kMaxBadPacketsInARow = 64;

}  // namespace

MediaDecoder::MediaDecoder(std::unique_ptr<MediaInput> input, int outputRate)
    : input_(std::move(input)), outputRate_(outputRate), packet_(av_packet_alloc()), frame_(av_frame_alloc()) {}

int MediaDecoder::open(std::unique_ptr<MediaInput> input, int outputRate, std::unique_ptr<MediaDecoder>& decoder) {
    std::unique_ptr<MediaDecoder> opened(new MediaDecoder(std::move(input), outputRate));
    if (!opened->packet_ || !opened->frame_) return kSoundErrMemory;
    const int result = opened->openCodec();
    if (result == kSoundOk) decoder = std::move(opened);
    return result;
}

int MediaDecoder::openCodec() {
    const AVCodecParameters& parameters = *input_->stream().codecpar;
    const AVCodec* codec = avcodec_find_decoder(parameters.codec_id);
    if (!codec) return kSoundErrFormat;
    codec_.reset(avcodec_alloc_context3(codec));
    if (!codec_) return kSoundErrMemory;
    if (avcodec_parameters_to_context(codec_.get(), &parameters) < 0) return kSoundErrFormat;
    codec_->pkt_timebase = input_->stream().time_base;
    if (avcodec_open2(codec_.get(), codec, nullptr) < 0 || codec_->sample_rate <= 0) return kSoundErrFormat;

    AVChannelLayout inLayout{};
    if (av_channel_layout_check(&codec_->ch_layout) && codec_->ch_layout.order != AV_CHANNEL_ORDER_UNSPEC) {
        av_channel_layout_copy(&inLayout, &codec_->ch_layout);
    } else {
        av_channel_layout_default(&inLayout, std::max(codec_->ch_layout.nb_channels, 1));
    }
    // A mono source is converted as mono and doubled, so it plays at full level on both sides.
    outputChannels_ = inLayout.nb_channels == 1 ? 1 : 2;
    AVChannelLayout outLayout{};
    av_channel_layout_default(&outLayout, outputChannels_);
    SwrContext* resampler = nullptr;
    const int result = swr_alloc_set_opts2(&resampler, &outLayout, AV_SAMPLE_FMT_FLT, outputRate_, &inLayout,
                                           codec_->sample_fmt, codec_->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&inLayout);
    resampler_.reset(resampler);
    if (result < 0 || swr_init(resampler_.get()) < 0) return kSoundErrFormat;
    return kSoundOk;
}

bool MediaDecoder::decode(std::vector<float>& frames) {
    while (!ended_) {
        const int received = avcodec_receive_frame(codec_.get(), frame_.get());
        if (received == 0) {
            convert(*frame_, frames);
            av_frame_unref(frame_.get());
            if (!frames.empty()) return true;
        } else if (received == AVERROR(EAGAIN) && !draining_) {
            if (!feedDecoder()) ended_ = true;
        } else {
            // The decoder is drained (or broken): what the resampler still holds is the last.
            ended_ = true;
            const int pending = swr_get_out_samples(resampler_.get(), 0);
            converted_.resize(static_cast<size_t>(std::max(pending, 0) * outputChannels_));
            auto* out = reinterpret_cast<uint8_t*>(converted_.data());
            const int count = pending > 0 ? swr_convert(resampler_.get(), &out, pending, nullptr, 0) : 0;
            appendConverted(converted_.data(), count, frames);
            return !frames.empty();
        }
    }
    return false;
}

// One packet of our stream into the decoder; false when too many were corrupt.
bool MediaDecoder::feedDecoder() {
    for (;;) {
        if (av_read_frame(&input_->format(), packet_.get()) < 0) {
            draining_ = true;
            avcodec_send_packet(codec_.get(), nullptr);
            return true;
        }
        if (packet_->stream_index != input_->streamIndex()) {
            av_packet_unref(packet_.get());
            continue;
        }
        const int sent = avcodec_send_packet(codec_.get(), packet_.get());
        av_packet_unref(packet_.get());
        if (sent >= 0) {
            badPackets_ = 0;
            return true;
        }
        if (++badPackets_ > kMaxBadPacketsInARow) return false;
    }
}

void MediaDecoder::convert(const AVFrame& frame, std::vector<float>& frames) {
    int64_t dropSource = 0;
    if (skipUntil_ >= 0) {
        const int64_t timestamp = frame.best_effort_timestamp;
        if (timestamp != AV_NOPTS_VALUE) {
            const int64_t start = av_rescale_q(timestamp, input_->stream().time_base, AVRational{1, frame.sample_rate});
            if (start + frame.nb_samples <= skipUntil_) return;
            dropSource = std::max<int64_t>(skipUntil_ - start, 0);
        }
        skipUntil_ = -1;
    }
    const int capacity = swr_get_out_samples(resampler_.get(), frame.nb_samples);
    if (capacity <= 0) return;
    converted_.resize(static_cast<size_t>(capacity * outputChannels_));
    auto* out = reinterpret_cast<uint8_t*>(converted_.data());
    const int count = swr_convert(resampler_.get(), &out, capacity, const_cast<const uint8_t**>(frame.extended_data),
                                  frame.nb_samples);
    const int64_t dropOutput = av_rescale(dropSource, outputRate_, frame.sample_rate);
    const auto drop = static_cast<int>(std::min<int64_t>(dropOutput, std::max(count, 0)));
    appendConverted(converted_.data() + static_cast<ptrdiff_t>(drop) * outputChannels_, count - drop, frames);
}

void MediaDecoder::appendConverted(const float* samples, int count, std::vector<float>& frames) {
    const auto size = static_cast<ptrdiff_t>(std::max(count, 0));
    if (outputChannels_ == 2) {
        frames.insert(frames.end(), samples, samples + size * 2);
        return;
    }
    for (const float sample : std::span(samples, static_cast<size_t>(size))) {
        frames.push_back(sample);
        frames.push_back(sample);
    }
}

bool MediaDecoder::seek(uint32_t ms) {
    const AVStream& audio = input_->stream();
    const int64_t target = av_rescale_q(ms, AVRational{1, 1000}, audio.time_base);
    if (avformat_seek_file(&input_->format(), input_->streamIndex(), INT64_MIN, target, target, 0) < 0) return false;
    avcodec_flush_buffers(codec_.get());
    swr_init(resampler_.get());
    skipUntil_ = av_rescale(ms, codec_->sample_rate, 1000);
    draining_ = false;
    ended_ = false;
    return true;
}
