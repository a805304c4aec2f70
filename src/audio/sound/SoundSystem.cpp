#include "audio/sound/SoundSystem.h"

#include <cctype>

#include "audio/sound/AudioOutput.h"
#include "audio/sound/Mixer.h"
#include "audio/sound/ParamEqUnit.h"
#include "audio/sound/Sound.h"
#include "audio/sound/SoundResult.h"
#include "audio/sound/StreamDecoder.h"
#include "platform/Clock.h"
#include "platform/DiskFile.h"

extern "C" {
#include <libavutil/avutil.h>
#include <libavutil/log.h>
}

namespace {

// The mixer's rate while no device is open: the one most devices take as it is.
constexpr int kWaitingRate = 44100;
constexpr uint32_t kDeviceRetryMs = 10000;

// A pipe or device would block the caller in its first read, perhaps for good.
int checkPlainFile(std::string_view path) {
    const auto status = statDiskFile(path);
    if (!status) return kSoundErrFileNotFound;
    return status->isRegularFile ? kSoundOk : kSoundErrFormat;
}

// "5.1" of FFmpeg's "5.1.6-0+deb12u1".
std::string ffmpegRelease() {
    const std::string_view full = av_version_info();
    size_t end = 0;
    int dots = 0;
    while (end < full.size() && (std::isdigit(static_cast<unsigned char>(full[end])) || full[end] == '.')) {
        if (full[end] == '.' && ++dots == 2) break;
        ++end;
    }
    return std::string(full.substr(0, end));
}

}  // namespace

SoundSystem::SoundSystem(std::string configuredOutput) : outputs_(std::move(configuredOutput)) {
    // Damaged files would flood the log; failures come back as result codes instead.
    av_log_set_level(AV_LOG_QUIET);
}

SoundSystem::~SoundSystem() {
    if (running_) close();
}

int SoundSystem::getVersion(unsigned& version) const {
    version = kVersion;
    return kSoundOk;
}

int SoundSystem::getCPUUsage(float& total) {
    total = cpu_.sample();
    return kSoundOk;
}

int SoundSystem::setOutput(int index) {
    if (running_) return kSoundErrInitialized;
    if (outputs_.name(index).empty()) return kSoundErrInvalidParam;
    outputIndex_ = index;
    output_.reset();
    driver_.reset();
    return kSoundOk;
}

int SoundSystem::getOutput(int& index) const {
    index = outputIndex_;
    return kSoundOk;
}

int SoundSystem::chosenOutput(AudioOutput*& output) {
    if (!output_) {
        const int result = outputs_.create(outputIndex_, output_);
        if (result != kSoundOk) return result;
    }
    output = output_.get();
    return kSoundOk;
}

int SoundSystem::getNumDrivers(int& count) {
    AudioOutput* output = nullptr;
    const int result = chosenOutput(output);
    if (result == kSoundOk) count = static_cast<int>(output->deviceNames().size());
    return result;
}

int SoundSystem::getDriverInfo(int index, std::string& name) {
    AudioOutput* output = nullptr;
    const int result = chosenOutput(output);
    if (result != kSoundOk) return result;
    const std::vector<std::string> names = output->deviceNames();
    if (index < 0 || index >= static_cast<int>(names.size())) return kSoundErrInvalidParam;
    name = names[static_cast<size_t>(index)];
    return kSoundOk;
}

int SoundSystem::setDriver(int index) {
    if (running_) return kSoundErrInitialized;
    int count = 0;
    const int result = getNumDrivers(count);
    if (result != kSoundOk) return result;
    if (index < 0 || index >= count) return kSoundErrInvalidParam;
    driver_ = index;
    return kSoundOk;
}

int SoundSystem::getDriver(int& index) const {
    index = driver_.value_or(0);
    return kSoundOk;
}

int SoundSystem::getDriverCaps(int driver, unsigned& caps, SpeakerMode& mode) {
    AudioOutput* output = nullptr;
    const int result = chosenOutput(output);
    if (result != kSoundOk) return result;
    caps = output->emulated() ? kCapsHardwareEmulated : 0;
    const int channels = output->deviceChannels(driver);
    mode = channels == 1 ? SpeakerMode::kMono : channels == 2 ? SpeakerMode::kStereo : SpeakerMode::kSurround;
    return kSoundOk;
}

int SoundSystem::setSpeakerMode(SpeakerMode mode) {
    if (running_) return kSoundErrInitialized;
    speakerMode_ = mode;
    return kSoundOk;
}

int SoundSystem::setDSPBufferSize(unsigned blockFrames, int) {
    if (running_) return kSoundErrInitialized;
    if (blockFrames == 0) return kSoundErrInvalidParam;
    blockFrames_ = static_cast<int>(blockFrames);
    return kSoundOk;
}

int SoundSystem::init(int maxChannels) {
    if (running_) return kSoundErrInitialized;
    if (maxChannels < 1) return kSoundErrInvalidParam;
    AudioOutput* output = nullptr;
    int result = chosenOutput(output);
    if (result != kSoundOk) return result;
    if (speakerMode_ == SpeakerMode::kSurround) return kSoundErrOutputCreateBuffer;
    result = output->open(driver_.value_or(-1), blockFrames_, 0);
    if (result != kSoundOk && result != kSoundErrOutputInit) return result;
    const bool opened = result == kSoundOk;
    mixer_ = std::make_unique<Mixer>(static_cast<size_t>(maxChannels), opened ? output->sampleRate() : kWaitingRate);
    running_ = true;
    if (opened) {
        startOutput();
    } else {
        deviceError_ = result;
        lastDeviceTry_ = millisecondClock();
        if (deviceReport_) deviceReport_(result);
    }
    return kSoundOk;
}

void SoundSystem::startOutput() {
    mixer_->setLatencyFrames(output_->latencyFrames());
    output_->start(*mixer_);
    deviceError_ = kSoundOk;
}

void SoundSystem::retryDevice(bool reportFailure) {
    lastDeviceTry_ = millisecondClock();
    output_.reset();
    int result = outputs_.create(outputIndex_, output_);
    if (result == kSoundOk) result = output_->open(driver_.value_or(-1), blockFrames_, mixer_->sampleRate());
    if (result == kSoundOk) {
        startOutput();
    } else {
        deviceError_ = result;
    }
    if (deviceReport_ && (result == kSoundOk || reportFailure)) deviceReport_(result);
}

int SoundSystem::close() {
    if (!running_) return kSoundErrUninitialized;
    for (size_t i = 0; i < mixer_->voiceCount(); ++i) mixer_->stopVoice(mixer_->voice(i));
    if (output_) output_->stop();
    output_.reset();
    running_ = false;
    deviceError_ = kSoundOk;
    return kSoundOk;
}

int SoundSystem::update() {
    if (!running_) return kSoundErrUninitialized;
    for (size_t i = 0; i < mixer_->voiceCount(); ++i) {
        Voice& voice = mixer_->voice(i);
        const int ended = voice.ended.load(std::memory_order_acquire);
        if (ended == 0 || !voice.source.load()) continue;
        const ChannelEndCallback callback = std::move(voice.onEnd);
        mixer_->stopVoice(voice);
        if (callback) callback(static_cast<ChannelEnd>(ended - 1));
    }
    // Tried only here, on the thread that pumps: SDL keeps what it knows of a failure for
    // as long as the thread that met it lives.
    if (deviceError_ != kSoundOk && (deviceRetryAsked_ || (millisecondClock() - lastDeviceTry_ >= kDeviceRetryMs &&
                                                          mixer_->anyVoicePlays()))) {
        retryDevice(deviceRetryAsked_);
    }
    deviceRetryAsked_ = false;
    return kSoundOk;
}

int SoundSystem::createSound(std::string_view name, unsigned mode, std::unique_ptr<Sound>& sound) {
    const bool url = (mode & kSoundUrl) != 0;
    if ((mode & kSoundOpenOnly) != 0) {
        if (url) return kSoundErrStreamOnly;
        if (const int refused = checkPlainFile(name); refused != kSoundOk) return refused;
        return Sound::openForTags(name, (mode & kSoundAccurateTime) != 0, sound);
    }
    if (!running_) return kSoundErrUninitialized;
    if (url) return Sound::openStream(name, *mixer_, sound);
    if (const int refused = checkPlainFile(name); refused != kSoundOk) return refused;
    return Sound::openFile(name, *mixer_, sound);
}

int SoundSystem::playSound(Sound& sound, bool paused, std::optional<Channel>& channel) {
    if (!running_) return kSoundErrUninitialized;
    StreamDecoder* decoder = sound.decoder();
    if (!decoder) return kSoundErrUnsupported;
    mixer_->stopVoicesOf(sound);
    if (sound.markPlayed()) decoder->requestSeek(0);
    Voice& voice = mixer_->claimVoice();
    mixer_->startVoice(voice, *decoder, sound, paused);
    channel.emplace(*mixer_, voice);
    deviceRetryAsked_ = deviceError_ != kSoundOk;
    return kSoundOk;
}

int SoundSystem::createParamEq(ParamEqUnit*& unit) {
    if (!mixer_) return kSoundErrUninitialized;
    units_.push_back(std::make_unique<ParamEqUnit>(mixer_->sampleRate()));
    unit = units_.back().get();
    return kSoundOk;
}

int SoundSystem::addDSP(ParamEqUnit& unit) {
    if (!mixer_) return kSoundErrUninitialized;
    return mixer_->addUnit(unit) ? kSoundOk : kSoundErrInvalidParam;
}

std::string SoundSystem::describe() const {
    const std::string release = "FFmpeg " + ffmpegRelease() + ", ";
    if (deviceError_ != kSoundOk) return release + "waiting for a sound device: " + std::string(soundResultText(deviceError_));
    return release + (output_ ? output_->description() : std::string("no output"));
}
