#pragma once
// Playlist files: the first stream address of a ".pls" or ".m3u" text.

#include <cstddef>
#include <string_view>

#include "text/Str.h"

struct FetchOptions;

// Playlists are a few lines; anything far bigger is not one.
inline constexpr size_t kMaxPlaylistBytes = size_t{1} << 20;

// The text after "File1=" of a ".pls", or the first "http://" line of an ".m3u" (both
// case-sensitive); which one the name decides. "error" when nothing qualifies.
Str parsePlaylist(std::string_view text, std::string_view name);
// Fetches a station's playlist over HTTP/1.1 and parses it as above; "error" when the
// fetch fails too. Blocks while fetching; needs no lock.
Str fetchPlaylistStream(std::string_view playlistUrl, const FetchOptions& options);
