#pragma once
// The one song that is loaded or playing. Every operation runs under the application
// lock; those that need a loaded sound or a started channel do nothing (and return 0,
// 0.0 or false) without one.

#include <string_view>

#include "audio/PlaybackSignal.h"

class Str;

class SongPlayer {
public:
    virtual ~SongPlayer() = default;

    // Loads a file path or an http(s) address, stopping and freeing the previous song.
    // With `play` it starts playing; a failure then sets PlaybackSignal::kOpenFailed. A
    // sound that fails once started (a stream that cannot connect or ends before any audio)
    // fails the same way when its end arrives: its error posted, the sound released.
    virtual bool open(std::string_view path, bool play) = 0;
    virtual void release() = 0;
    // Clears the playback signal whether or not a song was playing.
    virtual void stop() = 0;
    // Starts the loaded song from its start, at the player's volume.
    virtual void play() = 0;
    virtual void setPaused(bool paused) = 0;
    // Thousandths of the song's length.
    virtual void setPositionPermille(unsigned permille) = 0;
    virtual unsigned positionMs() const = 0;
    // 0xFFFFFFFF for a stream of unknown length.
    virtual unsigned lengthMs() const = 0;
    // From play() until stop(), also once the song has ended by itself.
    virtual bool isPlaying() const = 0;
    virtual bool isPaused() const = 0;
    // Started, not paused, and its end not yet delivered: the main loop watches for that end.
    virtual bool isSounding() const = 0;
    // The application's volume, 0.0 to 1.0: the level of this song and of songs started later.
    virtual float volume() const = 0;
    virtual void setVolume(float volume) = 0;
    // Playback frequency in Hz (the song's own rate at first); higher plays faster and higher.
    virtual float frequency() const = 0;
    virtual void setFrequency(float frequency) = 0;
    // The frequency against the song's own rate: 1.0 until the speed is changed.
    virtual double speed() const = 0;
    // A stream's buffer fill, 0 to 100.
    virtual unsigned bufferedPercent() const = 0;
    // The playing sound's title (TITLE, TIT2), artist (ARTIST) and album (ALBUM,
    // icy-name) as its tags tell them now; later tags win. Nothing changes without a sound.
    virtual void readStreamTitle(Str& title, Str& artist, Str& album) const = 0;
    virtual bool isEndless() const = 0;

    // The main loop reads the signal after AudioEngine::update and clears it once handled.
    virtual PlaybackSignal playbackSignal() const = 0;
    virtual void clearPlaybackSignal() = 0;
};
