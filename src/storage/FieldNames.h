#pragma once
// The names nearly every library entry's fields carry, so a node can keep one as a byte
// instead of its letters. Codes live only in memory; stored files have the names.

#include <array>
#include <string_view>

namespace field_names {

// Literals, so each is NUL-terminated.
inline constexpr std::array<std::string_view, 22> kNames = {
    "ADDED", "TIME", "SIZE", "DIGEST", "TITLE", "ARTIST", "ALBUM", "YEAR", "TRACK", "GENRE", "BPM",
    "RATE", "PLAYCOUNT", "PLAYTIME", "PICTURE", "LIST", "AUDIO", "PATH", "FOLDER", "RADIO", "NAME", "FILE"};

// The index of `name` in kNames, or kNames.size() when it is not there.
size_t codeOf(std::string_view name);

}  // namespace field_names
