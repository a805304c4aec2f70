#include "audio/sound/Sound.h"

#include <utility>

#include "audio/sound/ByteRing.h"
#include "audio/sound/MediaDecoder.h"
#include "audio/sound/MediaInput.h"
#include "audio/sound/Mixer.h"
#include "audio/sound/NetReader.h"
#include "audio/sound/SoundResult.h"
#include "audio/sound/StreamDecoder.h"
#include "audio/sound/TagFileReader.h"

namespace {

// About four seconds of a 128 kbit/s stream.
constexpr size_t kStreamBufferBytes = 64 * 1024;

}  // namespace

int Sound::openForTags(std::string_view path, bool accurateLength, std::unique_ptr<Sound>& sound) {
    std::unique_ptr<Sound> opened(new Sound());
    TagFileFacts facts;
    const int result = readTagFile(path, accurateLength, *opened->tags_, facts);
    opened->lengthMs_ = facts.lengthMs;
    opened->fileBytes_ = facts.bytes;
    if (result == kSoundOk) sound = std::move(opened);
    return result;
}

int Sound::openFile(std::string_view path, Mixer& mixer, std::unique_ptr<Sound>& sound) {
    std::unique_ptr<MediaInput> input;
    int result = MediaInput::openFile(path, input);
    if (result != kSoundOk) return result;
    std::unique_ptr<Sound> opened(new Sound());
    opened->mixer_ = &mixer;
    opened->lengthMs_ = input->lengthMs();
    input->copyTags(*opened->tags_);
    std::unique_ptr<MediaDecoder> decoder;
    result = MediaDecoder::open(std::move(input), mixer.sampleRate(), decoder);
    if (result != kSoundOk) return result;
    // std::function needs a copyable callable, so the decoder travels in a shared_ptr.
    auto ready = std::make_shared<std::unique_ptr<MediaDecoder>>(std::move(decoder));
    opened->decoder_ = StreamDecoder::start([ready] { return std::move(*ready); }, mixer.sampleRate(), true);
    sound = std::move(opened);
    return kSoundOk;
}

int Sound::openStream(std::string_view url, Mixer& mixer, std::unique_ptr<Sound>& sound) {
    if (!url.starts_with("http://") && !url.starts_with("https://")) return kSoundErrNotAStream;
    std::unique_ptr<Sound> opened(new Sound());
    opened->mixer_ = &mixer;
    opened->lengthMs_ = kEndlessLength;
    opened->ring_ = std::make_shared<ByteRing>(kStreamBufferBytes);
    opened->reader_ = NetReader::start(std::string(url), opened->ring_, opened->tags_);
    const int rate = mixer.sampleRate();
    opened->decoder_ = StreamDecoder::start(
        [ring = opened->ring_, rate]() -> std::unique_ptr<MediaDecoder> {
            std::unique_ptr<MediaInput> input;
            std::unique_ptr<MediaDecoder> decoder;
            if (MediaInput::openRing(ring, input) == kSoundOk) MediaDecoder::open(std::move(input), rate, decoder);
            return decoder;
        },
        rate, false);
    sound = std::move(opened);
    return kSoundOk;
}

Sound::~Sound() {
    if (mixer_) mixer_->stopVoicesOf(*this);
    if (decoder_) decoder_->abort();
    if (reader_) reader_->abort();
}

int Sound::getLength(uint32_t& ms) const {
    ms = lengthMs_;
    return kSoundOk;
}

int Sound::getOpenState(OpenState& state, unsigned& percentBuffered, bool& starving) const {
    if (!reader_) {
        state = OpenState::kReady;
        percentBuffered = 0;
        starving = false;
        return kSoundOk;
    }
    percentBuffered = ring_->percentFull();
    starving = percentBuffered == 0;
    switch (reader_->state()) {
        case NetReader::State::kConnecting: state = OpenState::kConnecting; break;
        case NetReader::State::kFailed: state = OpenState::kError; break;
        default: state = starving ? OpenState::kBuffering : OpenState::kReady; break;
    }
    return kSoundOk;
}

int Sound::getTag(int index, SoundTag& tag) const {
    std::optional<SoundTag> found = index >= 0 ? tags_->at(static_cast<size_t>(index)) : std::nullopt;
    if (!found) return kSoundErrTagNotFound;
    tag = std::move(*found);
    return kSoundOk;
}

std::string Sound::failureText() const {
    if (!reader_) return std::string(soundResultText(kSoundErrFormat));
    if (reader_->state() == NetReader::State::kFailed) return reader_->failure();
    return "The stream ended before any audio.";
}

bool Sound::markPlayed() { return std::exchange(played_, true); }
