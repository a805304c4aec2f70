#include "audio/sound/Mixer.h"

#include <algorithm>
#include <cmath>
#include <thread>

#include "audio/sound/ParamEqUnit.h"
#include "audio/sound/StreamDecoder.h"

namespace {

constexpr size_t kBlockFrames = 4096;
constexpr uint64_t kFrameMask = (uint64_t{1} << 48) - 1;
// The reader's window needs a few frames beyond the block's share.
constexpr size_t kReaderSlack = 3;
// Speeds outside these would starve the decoder or freeze the song.
constexpr double kSlowestStep = 1.0 / 64;
constexpr double kFastestStep = 16.0;

double stepOf(const Voice& voice, const StreamDecoder& source) {
    const double frequency = voice.frequency.load(std::memory_order_relaxed);
    const int rate = source.sourceRate();
    if (frequency <= 0.0 || rate <= 0) return 1.0;
    return std::clamp(frequency / rate, kSlowestStep, kFastestStep);
}

}  // namespace

Mixer::Mixer(size_t voiceCount, int sampleRate) : sampleRate_(sampleRate), scratch_(kBlockFrames * 2) {
    for (size_t i = 0; i < voiceCount; ++i) voices_.push_back(std::make_unique<Voice>());
}

void Mixer::render(float* out, size_t frames) {
    rendering_ = true;
    while (frames > 0) {
        const size_t block = std::min(frames, kBlockFrames);
        renderBlock(out, block);
        out += block * 2;
        frames -= block;
    }
    rendering_ = false;
}

Mixer::Feed Mixer::renderIfFed(float* out, size_t frames) {
    rendering_ = true;
    const Feed state = frames <= kBlockFrames ? feed(frames) : Feed::kSilent;
    if (state == Feed::kRendered) renderBlock(out, frames);
    rendering_ = false;
    return state;
}

void Mixer::waitUntilPlaying(const std::stop_token& stop) {
    std::unique_lock lock(playingMutex_);
    playing_.wait(lock, stop, [this] { return anyVoicePlays(); });
}

void Mixer::wakeOutput() {
    // Taken and let go so a waiter between its check and its sleep cannot miss the news.
    { const std::lock_guard lock(playingMutex_); }
    playing_.notify_all();
}

void Mixer::renderBlock(float* out, size_t frames) {
    std::fill_n(out, frames * 2, 0.0f);
    for (const auto& voice : voices_) renderVoice(*voice, out, frames);
    const size_t units = unitCount_.load(std::memory_order_acquire);
    for (size_t i = 0; i < units; ++i) units_[i].load(std::memory_order_relaxed)->process(out, frames);
}

void Mixer::renderVoice(Voice& voice, float* out, size_t frames) {
    StreamDecoder* source = voice.source;
    if (!source || voice.ended.load(std::memory_order_relaxed) != 0 || voice.paused.load(std::memory_order_relaxed)) {
        return;
    }
    const uint16_t generation = source->requestedGeneration();
    FrameFifo& fifo = source->fifo();
    if (!fifo.catchUp(generation)) return;  // a seek is under way
    if (static_cast<uint16_t>(voice.progress.load(std::memory_order_relaxed) >> 48) != generation) {
        voice.reader.reset();
    }
    const bool atEnd = fifo.finished(generation);
    const size_t written = voice.reader.render(fifo, scratch_.data(), frames, stepOf(voice, *source), atEnd);
    const float volume = voice.volume.load(std::memory_order_relaxed);
    for (size_t i = 0; i < written * 2; ++i) out[i] += scratch_[i] * volume;
    voice.progress.store(uint64_t{generation} << 48 | (voice.reader.consumed() & kFrameMask),
                         std::memory_order_release);
    if (voice.reader.exhausted()) {
        const ChannelEnd end = source->failed() ? ChannelEnd::kFailed : ChannelEnd::kFinished;
        voice.ended.store(1 + static_cast<int>(end), std::memory_order_release);
    }
}

Mixer::Feed Mixer::feed(size_t frames) const {
    bool audible = false;
    for (const auto& voice : voices_) {
        StreamDecoder* source = voice->source;
        if (!source || voice->ended.load(std::memory_order_relaxed) != 0 ||
            voice->paused.load(std::memory_order_relaxed)) {
            continue;
        }
        const uint16_t generation = source->requestedGeneration();
        FrameFifo& fifo = source->fifo();
        if (!fifo.catchUp(generation)) return Feed::kStarving;
        audible = true;
        const auto needed = static_cast<size_t>(std::ceil(static_cast<double>(frames) * stepOf(*voice, *source))) +
                            kReaderSlack;
        if (!fifo.finished(generation) && fifo.readable() < needed) return Feed::kStarving;
    }
    return audible ? Feed::kRendered : Feed::kSilent;
}

Voice& Mixer::claimVoice() {
    Voice* oldest = nullptr;
    for (const auto& voice : voices_) {
        if (!voice->source.load()) return *voice;
        if (!oldest || voice->startedAt < oldest->startedAt) oldest = voice.get();
    }
    stopVoice(*oldest);
    return *oldest;
}

void Mixer::startVoice(Voice& voice, StreamDecoder& source, const Sound& sound, bool paused) {
    voice.reader.reset();
    voice.paused = paused;
    voice.volume = 1.0f;
    voice.frequency = 0.0f;
    voice.ended = 0;
    voice.progress = uint64_t{source.requestedGeneration()} << 48;
    voice.sound = &sound;
    voice.onEnd = nullptr;
    voice.startedAt = ++starts_;
    voice.source = &source;
    source.setListened(!paused);
    if (!paused) wakeOutput();
}

void Mixer::setPaused(Voice& voice, bool paused) {
    voice.paused = paused;
    voice.source.load()->setListened(!paused);
    if (!paused) wakeOutput();
}

void Mixer::stopVoice(Voice& voice) {
    if (StreamDecoder* source = voice.source.exchange(nullptr)) source->setListened(false);
    waitForRender();
    ++voice.handleGeneration;
    voice.sound = nullptr;
    voice.onEnd = nullptr;
}

void Mixer::stopVoicesOf(const Sound& sound) {
    for (const auto& voice : voices_) {
        if (voice->sound == &sound) stopVoice(*voice);
    }
}

bool Mixer::anyVoicePlays() const {
    return std::any_of(voices_.begin(), voices_.end(), [](const auto& voice) {
        return voice->source.load() && !voice->paused.load() && voice->ended.load() == 0;
    });
}

void Mixer::waitForRender() const {
    while (rendering_) std::this_thread::yield();
}

bool Mixer::addUnit(ParamEqUnit& unit) {
    const size_t count = unitCount_.load(std::memory_order_relaxed);
    if (count == kMaxUnits) return false;
    units_[count].store(&unit, std::memory_order_relaxed);
    unitCount_.store(count + 1, std::memory_order_release);
    return true;
}
