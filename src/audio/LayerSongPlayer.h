#pragma once
// The song player on the sound layer: one sound and, once started, one channel.

#include <memory>
#include <optional>

#include "audio/SongPlayer.h"
#include "audio/sound/Channel.h"

class Sound;
class SoundSystem;
class StatusBoard;

class LayerSongPlayer : public SongPlayer {
public:
    // The system and the board must outlive the player.
    LayerSongPlayer(SoundSystem& system, StatusBoard& board);
    // Stops and releases the song.
    ~LayerSongPlayer() override;
    LayerSongPlayer(const LayerSongPlayer&) = delete;
    LayerSongPlayer& operator=(const LayerSongPlayer&) = delete;

    bool open(std::string_view path, bool play) override;
    void release() override;
    void stop() override;
    void play() override;
    void setPaused(bool paused) override;
    void setPositionPermille(unsigned permille) override;
    unsigned positionMs() const override;
    unsigned lengthMs() const override;
    bool isPlaying() const override { return channel_.has_value(); }
    bool isPaused() const override;
    bool isSounding() const override;
    float volume() const override { return volume_; }
    void setVolume(float volume) override;
    float frequency() const override;
    void setFrequency(float frequency) override;
    double speed() const override;
    unsigned bufferedPercent() const override;
    void readStreamTitle(Str& title, Str& artist, Str& album) const override;
    bool isEndless() const override;
    PlaybackSignal playbackSignal() const override { return signal_; }
    void clearPlaybackSignal() override { signal_ = PlaybackSignal::kNone; }

    // The loaded sound, for the tag reader; null when none is.
    const Sound* sound() const { return sound_.get(); }

private:
    void failLateOpen();

    SoundSystem& system_;
    StatusBoard& board_;
    std::unique_ptr<Sound> sound_;
    std::optional<Channel> channel_;
    float volume_ = 1.0f;
    PlaybackSignal signal_ = PlaybackSignal::kNone;
};
