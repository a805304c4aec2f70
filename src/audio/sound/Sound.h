#pragma once
// A sound made by SoundSystem::createSound: a local file or an http(s) stream opened for
// playing (with its decoder thread, and for a stream its network reader thread), or a
// file opened only for its tags and length. Control thread only, except as noted.
// Release every sound before its SoundSystem is destroyed.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "audio/sound/TagList.h"

class ByteRing;
class Mixer;
class NetReader;
class StreamDecoder;

enum class OpenState { kReady, kConnecting, kBuffering, kError };

class Sound {
public:
    // The length of a stream.
    static constexpr uint32_t kEndlessLength = 0xFFFFFFFF;

    // For tags and length only: no decoder, no device.
    static int openForTags(std::string_view path, bool accurateLength, std::unique_ptr<Sound>& sound);
    // For playing through `mixer`: the file is opened and checked now, decoded on a thread.
    static int openFile(std::string_view path, Mixer& mixer, std::unique_ptr<Sound>& sound);
    // For playing through `mixer`: connects and decodes on threads; never blocks here.
    static int openStream(std::string_view url, Mixer& mixer, std::unique_ptr<Sound>& sound);

    // Stops the voices that play it; its threads wind down on their own.
    ~Sound();
    Sound(const Sound&) = delete;
    Sound& operator=(const Sound&) = delete;

    // kEndlessLength for a stream; 0 when the file tells no length.
    int getLength(uint32_t& ms) const;
    // A file opened for tags: its size in bytes as it was read, when that is known.
    std::optional<uint64_t> fileBytes() const { return fileBytes_; }
    // A stream's percent buffered is the fill of its network buffer; files report 0.
    int getOpenState(OpenState& state, unsigned& percentBuffered, bool& starving) const;
    // Tags by index until kSoundErrTagNotFound. A stream's tags change as it plays.
    int getTag(int index, SoundTag& tag) const;
    // Why a sound whose channel ended as failed never played: a stream's connection error,
    // a stream that ended before any audio, or a file that could not be decoded.
    std::string failureText() const;

    // For the sound system.
    StreamDecoder* decoder() const { return decoder_.get(); }
    bool seekable() const { return decoder_ && !reader_; }
    // True from the second time on: a sound played again starts from its beginning.
    bool markPlayed();

private:
    Sound() = default;

    Mixer* mixer_ = nullptr;
    std::shared_ptr<TagList> tags_ = std::make_shared<TagList>();
    uint32_t lengthMs_ = 0;
    std::optional<uint64_t> fileBytes_;
    std::shared_ptr<ByteRing> ring_;
    std::shared_ptr<NetReader> reader_;
    std::shared_ptr<StreamDecoder> decoder_;
    bool played_ = false;
};
