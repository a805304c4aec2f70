#include "audio/LayerAudioEngine.h"

#include <string>

#include "audio/AudioErrorReport.h"
#include "audio/EntryTagReader.h"
#include "audio/LayerSongPlayer.h"
#include "audio/sound/SoundResult.h"
#include "audio/sound/SoundSystem.h"
#include "library/StatusBoard.h"

namespace {

constexpr unsigned kOldestVersion = 0x00041601;
constexpr unsigned kEmulatedBlockFrames = 1024;
constexpr int kEmulatedBlockCount = 10;

EngineResult failure(int result) { return {false, std::string(soundResultText(result))}; }

}  // namespace

std::unique_ptr<AudioEngine> createAudioEngine(StatusBoard& board, std::string configuredOutput) {
    return std::make_unique<LayerAudioEngine>(board, std::move(configuredOutput));
}

LayerAudioEngine::LayerAudioEngine(StatusBoard& board, std::string configuredOutput)
    : board_(board), system_(std::make_unique<SoundSystem>(std::move(configuredOutput))) {
    system_->setDeviceReport([this](int result) {
        if (result == kSoundOk) {
            board_.postInfo("Sound device opened: " + system_->describe() + "\n");
        } else {
            reportAudioError(board_, result);
        }
    });
}

LayerAudioEngine::~LayerAudioEngine() = default;

EngineResult LayerAudioEngine::init() {
    if (!system_) return failure(kSoundErrUninitialized);
    unsigned version = 0;
    system_->getVersion(version);
    if (version < kOldestVersion) return {false, "Error! You are using an old version of the sound layer."};
    const EngineResult opened = openOutput();
    if (!opened.ok) return opened;
    equaliser_.emplace(*system_);
    system_->update();
    return {};
}

EngineResult LayerAudioEngine::openOutput() {
    unsigned caps = 0;
    SpeakerMode mode = SpeakerMode::kStereo;
    int result = system_->getDriverCaps(0, caps, mode);
    if (result == kSoundOk) result = system_->setSpeakerMode(mode);
    if (result == kSoundOk && (caps & kCapsHardwareEmulated) != 0) {
        result = system_->setDSPBufferSize(kEmulatedBlockFrames, kEmulatedBlockCount);
    }
    if (result != kSoundOk) return failure(result);
    result = system_->init(1);
    if (result == kSoundErrOutputCreateBuffer) {
        result = system_->setSpeakerMode(SpeakerMode::kStereo);
        if (result == kSoundOk) result = system_->init(1);
    }
    // A missing sound device is not a failure here: the system waits for it. What remains
    // (an output VELMORANT_AUDIO does not name, a file that cannot be written) ends the start.
    return result == kSoundOk ? EngineResult{} : failure(result);
}

void LayerAudioEngine::close() {
    if (!system_) return;
    equaliser_.reset();
    reportAudioError(board_, system_->close());
    system_.reset();
}

void LayerAudioEngine::update() {
    if (system_) reportAudioError(board_, system_->update());
}

Str LayerAudioEngine::infoText() {
    Str text("Audio engine: ");
    float usage = 0.0f;
    if (system_) {
        text.append(system_->describe());
        system_->getCPUUsage(usage);
    }
    text.append("<br>CPU usage: ").appendFloat(usage).append("%<br>");
    return text;
}

int LayerAudioEngine::driverCount() {
    int count = 0;
    return system_ && system_->getNumDrivers(count) == kSoundOk ? count : 0;
}

Str LayerAudioEngine::driverName(int index) {
    std::string name;
    if (system_) system_->getDriverInfo(index, name);
    return Str(std::move(name));
}

int LayerAudioEngine::setDriver(int index) { return system_ ? system_->setDriver(index) : kSoundErrUninitialized; }

int LayerAudioEngine::driver() {
    int index = 0;
    return system_ && system_->getDriver(index) == kSoundOk ? index : 0;
}

int LayerAudioEngine::outputCount() { return system_ ? system_->outputCount() : 0; }

Str LayerAudioEngine::outputName(int index) {
    const std::string_view name = system_ ? system_->outputName(index) : std::string_view();
    return name.empty() ? Str("invalid index") : Str(name);
}

void LayerAudioEngine::setOutput(int index) {
    if (system_) system_->setOutput(index);
}

int LayerAudioEngine::output() {
    int index = 0;
    return system_ && system_->getOutput(index) == kSoundOk ? index : 0;
}

void LayerAudioEngine::setEqParameter(unsigned band, unsigned parameter, double value) {
    if (equaliser_) equaliser_->setParameter(band, parameter, value);
}

bool LayerAudioEngine::readTags(Node& entry, std::string_view path, std::string_view logName) {
    return system_ && EntryTagReader(*system_, board_).read(entry, path, logName);
}

void LayerAudioEngine::readSongTags(Node& values, StatusBoard& board, std::string_view path,
                                    std::string_view logName) const {
    if (system_) EntryTagReader(*system_, board).read(values, path, logName);
}

std::unique_ptr<SongPlayer> LayerAudioEngine::createSongPlayer() {
    if (!system_) return nullptr;
    return std::make_unique<LayerSongPlayer>(*system_, board_);
}
