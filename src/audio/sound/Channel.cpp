#include "audio/sound/Channel.h"

#include <algorithm>
#include <cmath>

#include "audio/sound/Mixer.h"
#include "audio/sound/Sound.h"
#include "audio/sound/SoundResult.h"
#include "audio/sound/StreamDecoder.h"

Voice* Channel::live() const {
    return voice_->source.load() && voice_->handleGeneration == generation_ ? voice_ : nullptr;
}

int Channel::stop() {
    Voice* voice = live();
    if (!voice) return kSoundErrInvalidHandle;
    mixer_->stopVoice(*voice);
    return kSoundOk;
}

int Channel::setPaused(bool paused) {
    Voice* voice = live();
    if (!voice) return kSoundErrInvalidHandle;
    mixer_->setPaused(*voice, paused);
    return kSoundOk;
}

int Channel::getPaused(bool& paused) const {
    const Voice* voice = live();
    if (!voice) return kSoundErrInvalidHandle;
    paused = voice->paused;
    return kSoundOk;
}

int Channel::setVolume(float volume) {
    Voice* voice = live();
    if (!voice) return kSoundErrInvalidHandle;
    if (std::isnan(volume)) return kSoundErrInvalidParam;
    voice->volume = std::clamp(volume, 0.0f, 1.0f);
    return kSoundOk;
}

int Channel::getFrequency(float& frequency) const {
    const Voice* voice = live();
    if (!voice) return kSoundErrInvalidHandle;
    const float set = voice->frequency;
    const int sourceRate = voice->source.load()->sourceRate();
    frequency = set > 0.0f ? set : static_cast<float>(sourceRate > 0 ? sourceRate : mixer_->sampleRate());
    return kSoundOk;
}

int Channel::getSpeed(float& speed) const {
    const Voice* voice = live();
    if (!voice) return kSoundErrInvalidHandle;
    const float set = voice->frequency;
    const int sourceRate = voice->source.load()->sourceRate();
    speed = set > 0.0f && sourceRate > 0 ? set / static_cast<float>(sourceRate) : 1.0f;
    return kSoundOk;
}

int Channel::setFrequency(float frequency) {
    Voice* voice = live();
    if (!voice) return kSoundErrInvalidHandle;
    if (!(frequency > 0.0f) || std::isinf(frequency)) return kSoundErrInvalidParam;
    voice->frequency = frequency;
    return kSoundOk;
}

int Channel::getPosition(uint32_t& ms) const {
    const Voice* voice = live();
    if (!voice) return kSoundErrInvalidHandle;
    const StreamDecoder& source = *voice->source.load();
    const uint64_t progress = voice->progress;
    const uint32_t start = source.requestedPositionMs();
    if (static_cast<uint16_t>(progress >> 48) != source.requestedGeneration()) {
        ms = start;
        return kSoundOk;
    }
    const uint64_t consumed = progress & ((uint64_t{1} << 48) - 1);
    const auto latency = static_cast<uint64_t>(mixer_->latencyFrames());
    const uint64_t played = consumed > latency ? consumed - latency : 0;
    ms = start + static_cast<uint32_t>(played * 1000 / static_cast<uint64_t>(mixer_->sampleRate()));
    return kSoundOk;
}

int Channel::setPosition(uint32_t ms) {
    Voice* voice = live();
    if (!voice) return kSoundErrInvalidHandle;
    if (!voice->sound->seekable()) return kSoundErrUnsupported;
    voice->source.load()->requestSeek(ms);
    return kSoundOk;
}

int Channel::setCallback(ChannelEndCallback callback) {
    Voice* voice = live();
    if (!voice) return kSoundErrInvalidHandle;
    voice->onEnd = std::move(callback);
    return kSoundOk;
}
