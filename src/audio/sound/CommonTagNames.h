#pragma once
// The fields every tag format shares, under the one set of names the layer reports them
// by, whatever the format calls them: TITLE, ARTIST, ALBUM, YEAR, TRACK, GENRE, BPM.

#include <string_view>

// The reported name for an upper-case field name of TagLib's or FFmpeg's (DATE gives
// YEAR, TRACKNUMBER gives TRACK); empty for a field the layer does not report.
std::string_view commonTagName(std::string_view fieldName);
