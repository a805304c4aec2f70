#pragma once
// What recognises an untagged song's file after a move: a hash of its first and last
// 64 KB (the whole file when it is smaller), as hexadecimal text. It reads at most 128 KB.

#include <optional>
#include <string>
#include <string_view>

// Nothing when the file cannot be read.
std::optional<std::string> songDigest(std::string_view path);
