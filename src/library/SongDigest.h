#pragma once
// What recognises a song's file after a move: a hash of its first and last 64 KB (the
// whole file when it is smaller), as hexadecimal text. It reads at most 128 KB.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// `size` is the file's size as a stat just found it. Nothing when the file cannot be read
// or holds fewer bytes.
std::optional<std::string> songDigest(std::string_view path, uint64_t size);
