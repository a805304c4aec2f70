#include "audio/sound/NullOutput.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "audio/sound/Mixer.h"
#include "audio/sound/SoundResult.h"
#include "platform/ThreadName.h"

namespace {

// No one hears it, so a block may be long: the thread wakes about ten times a second, and a
// song ends at most this early.
constexpr int kShortestBlock = 4096;

}  // namespace

int NullOutput::open(int, int blockFrames, int rate) {
    if (rate != 0 && rate != kSampleRate) return kSoundErrOutputInit;
    blockFrames_ = std::clamp(blockFrames, kShortestBlock, 16384);
    return kSoundOk;
}

void NullOutput::start(Mixer& mixer) {
    thread_ = std::jthread([this, &mixer](const std::stop_token& stop) { run(mixer, stop); });
}

void NullOutput::run(Mixer& mixer, const std::stop_token& stop) const {
    nameThisThread("vm-output");
    using namespace std::chrono;
    std::vector<float> block(static_cast<size_t>(blockFrames_) * 2);
    const auto period = microseconds(int64_t{blockFrames_} * 1000000 / kSampleRate);
    auto next = steady_clock::now();
    while (!stop.stop_requested()) {
        if (!mixer.anyVoicePlays()) {
            mixer.waitUntilPlaying(stop);
            next = steady_clock::now();
            continue;
        }
        mixer.render(block.data(), static_cast<size_t>(blockFrames_));
        next += period;
        std::this_thread::sleep_until(next);
    }
}
