#include "audio/sound/PipeOutput.h"

#include <algorithm>
#include <chrono>
#include <span>

#include "audio/sound/Mixer.h"
#include "audio/sound/SoundResult.h"
#include "platform/ThreadName.h"

namespace {

using std::chrono::steady_clock;

constexpr auto kWaitForData = std::chrono::milliseconds(1);
constexpr size_t kFrameBytes = 2 * sizeof(int16_t);

steady_clock::duration framesToTime(uint64_t frames) {
    return std::chrono::duration_cast<steady_clock::duration>(
        std::chrono::nanoseconds(frames * 1'000'000'000 / PipeOutput::kSampleRate));
}

}  // namespace

int PipeOutput::open(int, int blockFrames, int rate) {
    if (rate != 0 && rate != kSampleRate) return kSoundErrOutputInit;
    if (!pipe_.open()) return kSoundErrPipe;
    // A block of one pipe buffer's atomic size is written whole or not at all.
    blockFrames_ = static_cast<size_t>(std::clamp<int>(blockFrames, 64, FifoWriter::kAtomicBytes / kFrameBytes));
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    SwrContext* converter = nullptr;
    const int result = swr_alloc_set_opts2(&converter, &stereo, AV_SAMPLE_FMT_S16, kSampleRate, &stereo,
                                           AV_SAMPLE_FMT_FLT, kSampleRate, 0, nullptr);
    converter_.reset(converter);
    if (result < 0 || swr_init(converter_.get()) < 0) return kSoundErrMemory;
    rendered_.resize(blockFrames_ * 2);
    samples_.resize(blockFrames_ * 2);
    return kSoundOk;
}

void PipeOutput::start(Mixer& mixer) {
    thread_ = std::jthread([this, &mixer](const std::stop_token& stop) { run(mixer, stop); });
}

void PipeOutput::run(Mixer& mixer, const std::stop_token& stop) {
    nameThisThread("vm-output");
    // The clock's time when the frames written so far will have been heard.
    steady_clock::time_point anchor = steady_clock::now();
    uint64_t framesSinceAnchor = 0;
    while (!stop.stop_requested()) {
        const Mixer::Feed feed = mixer.renderIfFed(rendered_.data(), blockFrames_);
        if (feed == Mixer::Feed::kStarving) {
            std::this_thread::sleep_for(kWaitForData);
            continue;
        }
        if (feed == Mixer::Feed::kSilent) {
            mixer.waitUntilPlaying(stop);
            continue;
        }
        const auto now = steady_clock::now();
        // After a pause, or a stream that starved, the pace starts afresh: no catching up.
        if (anchor + framesToTime(framesSinceAnchor) < now) {
            anchor = now;
            framesSinceAnchor = 0;
        }
        deliver(blockFrames_);
        framesSinceAnchor += blockFrames_;
        if (framesSinceAnchor > kLeadFrames) {
            std::this_thread::sleep_until(anchor + framesToTime(framesSinceAnchor - kLeadFrames));
        }
    }
}

void PipeOutput::deliver(size_t frames) {
    auto* out = reinterpret_cast<uint8_t*>(samples_.data());
    const auto* in = reinterpret_cast<const uint8_t*>(rendered_.data());
    const int converted = swr_convert(converter_.get(), &out, static_cast<int>(frames), &in, static_cast<int>(frames));
    if (converted <= 0) return;
    pipe_.write(std::span(out, static_cast<size_t>(converted) * kFrameBytes));
}
