#pragma once
// The texts of a shoutcast-style stream: its header lines and its in-band title packets.

#include <string_view>

class TagList;

// Lines "name: value" as FFmpeg gathers the icy-* headers; each becomes a tag named
// after the header in lower case.
void addIcyHeaderTags(std::string_view headers, TagList& tags);
// A packet such as "StreamTitle='Artist - Song';StreamUrl='';" sets the TITLE tag.
void addStreamTitleTag(std::string_view packet, TagList& tags);
