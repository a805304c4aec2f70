#pragma once
// Real songs for tests: WAV files built here byte by byte, and other formats encoded by the
// ffmpeg command-line tool.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <numbers>
#include <string>
#include <string_view>

#include "support/TempFolder.h"

// The low `bytes` bytes of the value, least significant first, as RIFF stores numbers.
inline std::string littleEndian(uint32_t value, int bytes = 4) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
    return out;
}

// A RIFF chunk: id, size, the bytes, and a pad byte after an odd size.
inline std::string riffChunk(std::string_view id, std::string_view bytes) {
    return std::string(id) + littleEndian(static_cast<uint32_t>(bytes.size())) + std::string(bytes) +
           std::string(bytes.size() % 2, '\0');
}

// A 16-bit PCM WAV file: the format chunk, then `chunks` (the "data" chunk, any lists).
inline std::string wavFile(uint32_t rate, uint16_t channels, std::string_view chunks) {
    const uint32_t frameBytes = 2u * channels;
    const std::string format = littleEndian(1, 2) + littleEndian(channels, 2) + littleEndian(rate) +
                               littleEndian(rate * frameBytes) + littleEndian(frameBytes, 2) + littleEndian(16, 2);
    return riffChunk("RIFF", "WAVE" + riffChunk("fmt ", format) + std::string(chunks));
}

// Silence of an exact length. A low rate and one channel keep a long song small on disk.
inline std::string silentWav(int milliseconds, uint32_t rate = 44100, uint16_t channels = 2) {
    const auto frames = static_cast<size_t>(uint64_t{rate} * static_cast<uint64_t>(milliseconds) / 1000);
    return wavFile(rate, channels, riffChunk("data", std::string(frames * 2 * channels, '\0')));
}

// 16-bit stereo PCM; `sample` gives the value (-1..1) of a frame at a time in seconds.
inline void writeWav(const std::string& path, int rate, double seconds, const std::function<float(double)>& sample) {
    const auto frames = static_cast<uint32_t>(seconds * rate);
    std::string data;
    for (uint32_t i = 0; i < frames; ++i) {
        const float value = std::clamp(sample(static_cast<double>(i) / rate), -1.0f, 1.0f);
        const auto level = static_cast<int16_t>(std::lround(value * 32767.0f));
        const std::string pcm = littleEndian(static_cast<uint16_t>(level), 2);
        data += pcm + pcm;
    }
    TempFolder::write(path, wavFile(static_cast<uint32_t>(rate), 2, riffChunk("data", data)));
}

inline void writeTone(const std::string& path, double hertz, double seconds, float amplitude = 0.5f) {
    writeWav(path, 44100, seconds, [=](double t) {
        return amplitude * static_cast<float>(std::sin(2.0 * std::numbers::pi * hertz * t));
    });
}

// ffmpeg output options for an MP3 without any tag and without a Xing frame.
inline constexpr char kBareMp3[] = "-map_metadata -1 -id3v2_version 0 -write_xing 0";

// A 440 Hz tone at 44100 Hz in the format the file name's ending chooses; `options` are
// further ffmpeg output options such as "-b:a 64k" or "-metadata title=Blue". True when
// ffmpeg succeeded.
inline bool encodeTone(const std::string& path, int seconds, const std::string& options = "") {
    const std::string command = "ffmpeg -nostdin -v error -y -f lavfi -i sine=frequency=440:duration=" +
                                std::to_string(seconds) + " -ar 44100 " + options + " '" + path + "'";
    return std::system(command.c_str()) == 0;
}
