#pragma once
// Node names of library entries, their keys and the scan tree.

#include <string_view>

namespace entry {

inline constexpr std::string_view kAudio = "AUDIO";
inline constexpr std::string_view kImage = "IMAGE";
inline constexpr std::string_view kRadio = "RADIO";
inline constexpr std::string_view kList = "LIST";

inline constexpr std::string_view kAdded = "ADDED";
inline constexpr std::string_view kPlaylist = "PLAYLIST";
inline constexpr std::string_view kChannels = "CHANNELS";
// A station's direct stream address, for the user's own stations without a playlist.
inline constexpr std::string_view kStream = "STREAM";
// Set by the tag reading: a song with a cover picture inside, the file's size in bytes and,
// for a song no title, artist or album names, its songDigest.
inline constexpr std::string_view kPicture = "PICTURE";
inline constexpr std::string_view kSize = "SIZE";
inline constexpr std::string_view kDigest = "DIGEST";

}  // namespace entry

namespace scan {

inline constexpr std::string_view kPath = "PATH";
inline constexpr std::string_view kName = "NAME";
inline constexpr std::string_view kFile = "FILE";
// Marks a directory whose listing failed: its folder is left as it is.
inline constexpr std::string_view kUnlisted = "UNLISTED";

}  // namespace scan
