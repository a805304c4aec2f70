#pragma once
// A small PNG cover and the ways tests put it into songs with the ffmpeg tool.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "support/TempFolder.h"

// An 8x8 red PNG at `path`; true when ffmpeg made it.
inline bool makeCoverPng(const std::string& path) {
    const std::string command =
        "ffmpeg -nostdin -v error -y -f lavfi -i color=c=red:s=8x8 -frames:v 1 '" + path + "'";
    return std::system(command.c_str()) == 0;
}

// A one-second tone like encodeTone's, with the picture as its attached cover (ID3v2 APIC,
// MP4 covr, a FLAC picture block) when `png` is not empty.
inline bool encodeToneWithCover(const std::string& path, const std::string& png, const std::string& options) {
    const std::string input = png.empty() ? "" : "-i '" + png + "' ";
    const std::string attach = png.empty() ? "" : "-map 0:a -map 1:v -c:v copy -disposition:v attached_pic ";
    const std::string command = "ffmpeg -nostdin -v error -y -f lavfi -i sine=frequency=440:duration=1 " + input +
                                "-ar 44100 " + attach + options + " '" + path + "'";
    return std::system(command.c_str()) == 0;
}

inline std::string base64(const std::string& bytes) {
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t group = static_cast<uint8_t>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) group |= static_cast<uint8_t>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) group |= static_cast<uint8_t>(bytes[i + 2]);
        for (size_t k = 0; k < 4; ++k) out += i + k <= bytes.size() ? kDigits[(group >> (18 - 6 * k)) & 63] : '=';
    }
    return out;
}

// The ffmpeg option that writes the picture as a Vorbis comment METADATA_BLOCK_PICTURE
// (Opus, Ogg), a FLAC picture block in base64.
inline std::string vorbisCommentCover(const std::string& png) {
    const auto number = [](uint32_t value) {
        return std::string{static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                           static_cast<char>(value >> 8), static_cast<char>(value)};
    };
    const std::string bytes = TempFolder::read(png);
    const std::string block = number(3) + number(9) + "image/png" + number(0) + number(8) + number(8) + number(24) +
                              number(0) + number(static_cast<uint32_t>(bytes.size())) + bytes;
    return "-metadata METADATA_BLOCK_PICTURE=" + base64(block);
}
