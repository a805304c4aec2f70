#pragma once
// One sound's decoder thread: it opens the media, decodes ahead of the render step into a
// FrameFifo of about a second, and serves seeks. The thread keeps this object alive, so a
// released sound never waits for it: abort() makes it wind down on its own.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "audio/sound/FrameFifo.h"

class MediaDecoder;

class StreamDecoder {
public:
    // Runs on the decoder thread; null when the media cannot be opened.
    using Opener = std::function<std::unique_ptr<MediaDecoder>()>;

    // Starts the thread. `seekable` false makes a seek only drop what is buffered.
    static std::shared_ptr<StreamDecoder> start(Opener opener, int outputRate, bool seekable);
    StreamDecoder(Opener opener, int outputRate, bool seekable);
    ~StreamDecoder();

    // Control thread: asks for a new generation starting at `ms`.
    void requestSeek(uint32_t ms);
    void abort();
    // Whether a voice is reading the fifo now (started and not paused). While none is, a
    // full fifo rests the thread until one is, instead of on a clock.
    void setListened(bool listened);

    // Any thread.
    uint16_t requestedGeneration() const { return static_cast<uint16_t>(request_.load() >> 32); }
    uint32_t requestedPositionMs() const { return static_cast<uint32_t>(request_.load()); }
    // The source's sample rate; 0 until the media is open.
    int sourceRate() const { return sourceRate_; }
    // True when the media could not be opened or decoded at all; the fifo is then finished.
    bool failed() const { return failed_; }

    // The render step reads the decoded frames here.
    FrameFifo& fifo() { return fifo_; }

private:
    void run();
    void decodeLoop(MediaDecoder& decoder);
    void startGeneration(MediaDecoder& decoder, uint64_t request);
    // How long to rest before decoding more (kUntilWoken: until a seek, abort or a voice that
    // starts reading); nothing when there is work now.
    std::optional<std::chrono::milliseconds> restTime();
    // How long the render step takes to free a quarter of the fifo, at the pace it read at
    // since the last rest (real time at least).
    std::chrono::milliseconds untilAQuarterIsFree(size_t writable);
    void writeSome(MediaDecoder& decoder);
    // Sleeps until a seek or abort comes in, or for at most `limit`; without a limit
    // (kUntilWoken), an unfinished song's decoder also wakes when a voice reads it again.
    void idle(std::chrono::milliseconds limit);

    static constexpr auto kUntilWoken = std::chrono::milliseconds::max();

    Opener opener_;
    int outputRate_;
    bool seekable_;
    FrameFifo fifo_;
    std::atomic<uint64_t> request_{0};  // generation << 32 | position in ms
    std::atomic<bool> aborted_{false};
    std::atomic<int> sourceRate_{0};
    std::atomic<bool> failed_{false};
    std::atomic<bool> listened_{false};
    // Wakes the thread for seeks, abort and a voice that starts reading; the render step
    // never touches these.
    std::mutex wakeMutex_;
    std::condition_variable wake_;

    // Decoder thread only.
    uint16_t generation_ = 0;
    std::vector<float> pending_;   // decoded frames not all in the fifo yet
    size_t written_ = 0;           // frames of pending_ already in the fifo
    size_t generationFrames_ = 0;  // frames written since the generation started
    bool refilling_ = true;        // fills the fifo up before it rests
    bool decodedAny_ = false;
    bool finished_ = false;
    std::chrono::steady_clock::time_point lastRest_;
    uint64_t takenAtLastRest_ = 0;
};
