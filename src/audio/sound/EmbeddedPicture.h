#pragma once
// Cover pictures stored inside audio files: ID3v2 APIC (MP3, AIFF, WAV), MP4 covr, FLAC
// and Vorbis/Opus METADATA_BLOCK_PICTURE, APEv2 "Cover Art (Front)" (WavPack, Monkey's).

#include <optional>
#include <string>
#include <string_view>

namespace TagLib {
class File;
}

struct EmbeddedPicture {
    std::string mimeType;  // from the bytes' signature, never from the file's claim
    std::string bytes;
};

// The front cover, else the first picture of a JPEG, PNG, GIF or BMP kind; nothing for
// any other bytes, so a file can never make the player serve another type.
std::optional<EmbeddedPicture> embeddedPicture(TagLib::File& file);
// The same for a path; nothing when TagLib cannot read the file.
std::optional<EmbeddedPicture> readEmbeddedPicture(std::string_view path);
