#include "audio/sound/StreamDecoder.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "audio/sound/MediaDecoder.h"
#include "platform/ThreadName.h"

namespace {

// The fifo holds over a second: the thread refills it in bursts once a quarter is free,
// and sleeps in between (seeks and abort wake it at once). The longest rest leaves the
// fifo over half full even when the speed is raised fourfold meanwhile.
constexpr auto kShortestRest = std::chrono::milliseconds(5);
constexpr auto kLongestRest = std::chrono::milliseconds(250);
constexpr auto kStaleWait = std::chrono::milliseconds(2);
constexpr size_t kRefillFraction = 4;

}  // namespace

std::shared_ptr<StreamDecoder> StreamDecoder::start(Opener opener, int outputRate, bool seekable) {
    auto decoder = std::make_shared<StreamDecoder>(std::move(opener), outputRate, seekable);
    std::thread([self = decoder] { self->run(); }).detach();
    return decoder;
}

StreamDecoder::StreamDecoder(Opener opener, int outputRate, bool seekable)
    : opener_(std::move(opener)),
      outputRate_(outputRate),
      seekable_(seekable),
      fifo_(static_cast<size_t>(outputRate)) {}

StreamDecoder::~StreamDecoder() = default;

void StreamDecoder::requestSeek(uint32_t ms) {
    const uint64_t generation = (requestedGeneration() + 1u) & 0xFFFFu;
    {
        const std::lock_guard lock(wakeMutex_);
        request_ = generation << 32 | ms;
    }
    wake_.notify_one();
}

void StreamDecoder::abort() {
    {
        const std::lock_guard lock(wakeMutex_);
        aborted_ = true;
    }
    wake_.notify_one();
}

void StreamDecoder::setListened(bool listened) {
    {
        const std::lock_guard lock(wakeMutex_);
        listened_ = listened;
    }
    if (listened) wake_.notify_one();
}

void StreamDecoder::idle(std::chrono::milliseconds limit) {
    std::unique_lock lock(wakeMutex_);
    const auto woken = [&] { return aborted_ || requestedGeneration() != generation_; };
    if (limit != kUntilWoken) {
        wake_.wait_for(lock, limit, woken);
    } else if (finished_) {
        wake_.wait(lock, woken);
    } else {
        wake_.wait(lock, [&] { return woken() || listened_; });
    }
}

void StreamDecoder::run() {
    nameThisThread("vm-decoder");
    const std::unique_ptr<MediaDecoder> decoder = opener_();
    opener_ = nullptr;
    if (!decoder) {
        failed_ = true;
        fifo_.finish();
        return;
    }
    sourceRate_ = decoder->sourceRate();
    decodeLoop(*decoder);
}

void StreamDecoder::decodeLoop(MediaDecoder& decoder) {
    while (!aborted_) {
        const uint64_t request = request_;
        if (static_cast<uint16_t>(request >> 32) != generation_) {
            startGeneration(decoder, request);
        } else if (const std::optional<std::chrono::milliseconds> rest = restTime()) {
            idle(*rest);
        } else {
            writeSome(decoder);
        }
    }
}

std::optional<std::chrono::milliseconds> StreamDecoder::restTime() {
    if (finished_) return kUntilWoken;
    const size_t writable = fifo_.writable();
    // Frames a seek made stale still fill the fifo until the render step drops them.
    if (writable == 0 && generationFrames_ < fifo_.capacity()) return listened_ ? kStaleWait : kUntilWoken;
    if (writable == 0) refilling_ = false;
    if (!refilling_ && writable < fifo_.capacity() / kRefillFraction) {
        return listened_ ? untilAQuarterIsFree(writable) : kUntilWoken;
    }
    refilling_ = true;
    return std::nullopt;
}

std::chrono::milliseconds StreamDecoder::untilAQuarterIsFree(size_t writable) {
    using namespace std::chrono;
    const auto now = steady_clock::now();
    const uint64_t taken = fifo_.taken();
    double framesPerMs = outputRate_ / 1000.0;
    const double since = duration<double, std::milli>(now - lastRest_).count();
    if (since > 0.0 && taken >= takenAtLastRest_) {
        framesPerMs = std::max(framesPerMs, static_cast<double>(taken - takenAtLastRest_) / since);
    }
    lastRest_ = now;
    takenAtLastRest_ = taken;
    const auto rest = milliseconds(static_cast<int64_t>(
        static_cast<double>(fifo_.capacity() / kRefillFraction - writable) / framesPerMs));
    return std::clamp<milliseconds>(rest, kShortestRest, kLongestRest);
}

void StreamDecoder::writeSome(MediaDecoder& decoder) {
    if (written_ * FrameFifo::kChannels == pending_.size()) {
        pending_.clear();
        written_ = 0;
        if (!decoder.decode(pending_)) {
            failed_ = failed_ || !decodedAny_;
            fifo_.finish();
            finished_ = true;
            return;
        }
        decodedAny_ = true;
    }
    const size_t count = std::min(fifo_.writable(), pending_.size() / FrameFifo::kChannels - written_);
    fifo_.write(pending_.data() + written_ * FrameFifo::kChannels, count);
    written_ += count;
    generationFrames_ += count;
}

void StreamDecoder::startGeneration(MediaDecoder& decoder, uint64_t request) {
    generation_ = static_cast<uint16_t>(request >> 32);
    pending_.clear();
    written_ = 0;
    generationFrames_ = 0;
    refilling_ = true;
    const bool moved = !seekable_ || decoder.seek(static_cast<uint32_t>(request));
    fifo_.startGeneration(generation_);
    // A position the file cannot reach plays as its end.
    finished_ = !moved;
    if (finished_) fifo_.finish();
}
