#pragma once
// The tags by which a scan's merge knows a moved song again in a new file, read cheaply:
// TagLib's tags and estimated length, no decoder (see readTagFile). Safe on several threads
// at once; it touches nothing but the file.

#include <cstdint>
#include <string_view>

class Node;

// The tags into `tags` as the tag reading stores them, and the length (0 when unknown).
// False when the file reads as no audio.
bool readCandidateTags(std::string_view path, Node& tags, uint32_t& lengthMs);
