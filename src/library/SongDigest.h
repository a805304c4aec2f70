#pragma once
// What recognises a moved song whose tags name nothing: a hash of its file's first and last
// 64 KB (the whole file when it is smaller), as hexadecimal text. It reads at most 128 KB.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class Node;

// `size` is the file's size as a stat just found it. Nothing when the file cannot be read
// or holds fewer bytes.
std::optional<std::string> songDigest(std::string_view path, uint64_t size);

// True when a song entry has a TITLE, ARTIST or ALBUM: its tags name it, and a scan knows
// it again by them; else only by its songDigest.
bool namedByTags(const Node& entry);
