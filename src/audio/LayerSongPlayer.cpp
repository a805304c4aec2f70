#include "audio/LayerSongPlayer.h"

#include <array>
#include <limits>

#include "audio/AudioErrorReport.h"
#include "audio/sound/Sound.h"
#include "audio/sound/SoundResult.h"
#include "audio/sound/SoundSystem.h"
#include "library/StatusBoard.h"
#include "text/Str.h"
#include "text/TextSearch.h"

namespace {

unsigned modeFor(std::string_view path, bool play) {
    unsigned mode = 0;
    if (path.find("http://") != std::string_view::npos || path.find("https://") != std::string_view::npos) {
        mode |= kSoundUrl;
    }
    if (!play) mode |= kSoundOpenOnly;
    // Tracker modules state no length; the decoder works it out.
    const size_t dot = path.rfind('.');
    const std::string_view extension = dot == std::string_view::npos ? std::string_view() : path.substr(dot + 1);
    static constexpr std::array<std::string_view, 4> kTrackers = {"mod", "s3m", "xm", "it"};
    for (const std::string_view tracker : kTrackers) {
        if (extension.size() == tracker.size() && findNoCase(extension, tracker) == 0) mode |= kSoundAccurateTime;
    }
    return mode;
}

}  // namespace

LayerSongPlayer::LayerSongPlayer(SoundSystem& system, StatusBoard& board) : system_(system), board_(board) {}

LayerSongPlayer::~LayerSongPlayer() {
    stop();
    release();
}

bool LayerSongPlayer::open(std::string_view path, bool play) {
    stop();
    release();
    const int result = system_.createSound(path, modeFor(path, play), sound_);
    reportAudioError(board_, result);
    if (result == kSoundOk && play) this->play();
    if (result != kSoundOk && play) signal_ = PlaybackSignal::kOpenFailed;
    return result == kSoundOk;
}

void LayerSongPlayer::release() { sound_.reset(); }

void LayerSongPlayer::stop() {
    if (channel_) channel_->stop();
    channel_.reset();
    signal_ = PlaybackSignal::kNone;
}

void LayerSongPlayer::play() {
    if (!sound_) return;
    // Started paused, so not one block plays before the volume is set.
    std::optional<Channel> channel;
    reportAudioError(board_, system_.playSound(*sound_, true, channel));
    if (!channel) return;
    channel_ = channel;
    channel_->setVolume(volume_);
    channel_->setCallback([this](ChannelEnd end) {
        if (end == ChannelEnd::kFailed) return failLateOpen();
        signal_ = PlaybackSignal::kEnded;
    });
    channel_->setPaused(false);
}

// A stream that could not connect, or a sound that never gave audio, ends as a failed open
// does: its error on the board and no sound left, so the item shows as itself again.
void LayerSongPlayer::failLateOpen() {
    if (sound_) board_.postError(sound_->failureText() + "\n");
    channel_.reset();
    release();
    signal_ = PlaybackSignal::kOpenFailed;
}

void LayerSongPlayer::setPaused(bool paused) {
    if (sound_ && channel_) channel_->setPaused(paused);
}

void LayerSongPlayer::setPositionPermille(unsigned permille) {
    if (!sound_ || !channel_) return;
    uint32_t length = 0;
    sound_->getLength(length);
    // Out-of-range thousandths go past the end rather than overflow.
    constexpr uint32_t kLast = std::numeric_limits<uint32_t>::max();
    const double position = length * (permille / 1000.0);
    channel_->setPosition(position < kLast ? static_cast<uint32_t>(position) : kLast);
}

unsigned LayerSongPlayer::positionMs() const {
    uint32_t position = 0;
    if (sound_ && channel_) channel_->getPosition(position);
    return position;
}

unsigned LayerSongPlayer::lengthMs() const {
    uint32_t length = 0;
    if (sound_) sound_->getLength(length);
    return length;
}

bool LayerSongPlayer::isPaused() const {
    bool paused = false;
    if (sound_ && channel_) channel_->getPaused(paused);
    return paused;
}

// A channel goes stale once update() has delivered its end.
bool LayerSongPlayer::isSounding() const {
    bool paused = true;
    return sound_ && channel_ && channel_->getPaused(paused) == kSoundOk && !paused;
}

void LayerSongPlayer::setVolume(float volume) {
    volume_ = volume;
    if (channel_) channel_->setVolume(volume);
}

float LayerSongPlayer::frequency() const {
    float frequency = 0.0f;
    if (channel_) channel_->getFrequency(frequency);
    return frequency;
}

void LayerSongPlayer::setFrequency(float frequency) {
    if (channel_) channel_->setFrequency(frequency);
}

double LayerSongPlayer::speed() const {
    float speed = 1.0f;
    if (channel_) channel_->getSpeed(speed);
    return speed;
}

unsigned LayerSongPlayer::bufferedPercent() const {
    OpenState state = OpenState::kReady;
    unsigned percent = 0;
    bool starving = false;
    if (sound_) sound_->getOpenState(state, percent, starving);
    return percent;
}

void LayerSongPlayer::readStreamTitle(Str& title, Str& artist, Str& album) const {
    if (!sound_) return;
    SoundTag tag;
    for (int index = 0; sound_->getTag(index, tag) == kSoundOk; ++index) {
        if (tag.name.empty() || tag.data.empty()) continue;
        Str* target = tag.name == "TITLE" || tag.name == "TIT2"      ? &title
                      : tag.name == "ARTIST"                          ? &artist
                      : tag.name == "ALBUM" || tag.name == "icy-name" ? &album
                                                                      : nullptr;
        if (!target) continue;
        if (tag.type == TagType::kLatin1) {
            target->assignLatin1(tag.data);
        } else {
            target->assign(tag.data);
        }
    }
}

bool LayerSongPlayer::isEndless() const { return lengthMs() == Sound::kEndlessLength; }
