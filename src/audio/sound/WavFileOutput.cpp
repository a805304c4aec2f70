#include "audio/sound/WavFileOutput.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <vector>

#include "audio/sound/Mixer.h"
#include "audio/sound/SoundResult.h"
#include "platform/ThreadName.h"

namespace {

constexpr auto kWaitForData = std::chrono::milliseconds(1);
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kChannels = 2;
constexpr uint16_t kBitsPerSample = 32;

void putLittleEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

int WavFileOutput::open(int, int blockFrames, int rate) {
    if (rate != 0 && rate != kSampleRate) return kSoundErrOutputInit;
    blockFrames_ = std::clamp(blockFrames, 64, 4096);
    file_ = openDiskFile(path_, "wb");
    if (!file_) return kSoundErrFileWrite;
    writeHeader();
    return std::ferror(file_.get()) ? kSoundErrFileWrite : kSoundOk;
}

void WavFileOutput::writeHeader() {
    constexpr uint64_t kLargest = std::numeric_limits<uint32_t>::max() - 38;
    const auto dataSize = static_cast<uint32_t>(std::min<uint64_t>(dataBytes_, kLargest));
    const uint32_t blockAlign = kChannels * kBitsPerSample / 8;
    std::vector<uint8_t> header;
    header.insert(header.end(), {'R', 'I', 'F', 'F'});
    putLittleEndian(header, 38 + dataSize, 4);
    header.insert(header.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    putLittleEndian(header, 18, 4);
    putLittleEndian(header, kFormatFloat, 2);
    putLittleEndian(header, kChannels, 2);
    putLittleEndian(header, kSampleRate, 4);
    putLittleEndian(header, kSampleRate * blockAlign, 4);
    putLittleEndian(header, blockAlign, 2);
    putLittleEndian(header, kBitsPerSample, 2);
    putLittleEndian(header, 0, 2);  // no extension: float samples need none
    header.insert(header.end(), {'d', 'a', 't', 'a'});
    putLittleEndian(header, dataSize, 4);
    std::fseek(file_.get(), 0, SEEK_SET);
    std::fwrite(header.data(), 1, header.size(), file_.get());
    std::fseek(file_.get(), 0, SEEK_END);
}

void WavFileOutput::start(Mixer& mixer) {
    thread_ = std::jthread([this, &mixer](const std::stop_token& stop) { run(mixer, stop); });
}

void WavFileOutput::run(Mixer& mixer, const std::stop_token& stop) {
    nameThisThread("vm-output");
    std::vector<float> block(static_cast<size_t>(blockFrames_) * 2);
    while (!stop.stop_requested()) {
        const Mixer::Feed feed = mixer.renderIfFed(block.data(), static_cast<size_t>(blockFrames_));
        if (feed == Mixer::Feed::kStarving) {
            std::this_thread::sleep_for(kWaitForData);
            continue;
        }
        if (feed == Mixer::Feed::kSilent) {
            mixer.waitUntilPlaying(stop);
            continue;
        }
        std::fwrite(block.data(), sizeof(float), block.size(), file_.get());
        std::fflush(file_.get());
        dataBytes_ += block.size() * sizeof(float);
    }
}

void WavFileOutput::stop() {
    thread_ = {};
    if (!file_) return;
    writeHeader();
    file_.reset();
}
