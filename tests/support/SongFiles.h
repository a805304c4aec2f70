#pragma once
// Real songs for process tests: silent WAV files of an exact length, written here, and MP3
// files encoded by the ffmpeg command-line tool.

#include <cstdint>
#include <cstdlib>
#include <string>

// Silence as 16-bit PCM. A low rate and one channel keep a long song small on disk.
inline std::string silentWav(int milliseconds, uint32_t rate = 44100, uint16_t channels = 2) {
    const uint32_t frameBytes = 2u * channels;
    const uint32_t dataBytes = static_cast<uint32_t>(uint64_t{rate} * static_cast<uint64_t>(milliseconds) / 1000) *
                               frameBytes;
    auto u32 = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    auto u16 = [](uint16_t v) { return std::string{char(v), char(v >> 8)}; };
    return "RIFF" + u32(36 + dataBytes) + "WAVEfmt " + u32(16) + u16(1) + u16(channels) + u32(rate) +
           u32(rate * frameBytes) + u16(static_cast<uint16_t>(frameBytes)) + u16(16) + "data" + u32(dataBytes) +
           std::string(dataBytes, '\0');
}

// A 440 Hz tone; `tagOptions` are ffmpeg options such as "-metadata title=Blue", and
// without them the file carries no tag at all. True when ffmpeg succeeded.
inline bool writeToneMp3(const std::string& path, int seconds, int kbps, const std::string& tagOptions = "") {
    const std::string tags = tagOptions.empty() ? "-map_metadata -1 -id3v2_version 0 -write_xing 0"
                                                : "-id3v2_version 3 " + tagOptions;
    const std::string command = "ffmpeg -nostdin -v error -y -f lavfi -i sine=frequency=440:duration=" +
                                std::to_string(seconds) + " -ar 44100 -b:a " + std::to_string(kbps) + "k " + tags +
                                " '" + path + "'";
    return std::system(command.c_str()) == 0;
}
