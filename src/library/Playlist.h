#pragma once
// Playlist files: the first stream address of a ".pls" or ".m3u" text.

#include <string_view>

#include "text/Str.h"

// The text after "File1=" of a ".pls", or the first "http://" line of an ".m3u" (both
// case-sensitive); which one the name decides. "error" when nothing qualifies.
Str parsePlaylist(std::string_view text, std::string_view name);
