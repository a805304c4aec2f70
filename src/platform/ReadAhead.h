#pragma once
// Bringing files into the page cache ahead of their reading, for when the disk is slow.

#include <cstdint>
#include <string_view>

// Starts the system reading the file's start and its last `endBytes` into the cache and
// returns at once. True when its start was not in the cache: the disk was needed. A file
// that cannot be opened is left alone (false).
bool readAhead(std::string_view path, uint64_t endBytes);

// How many blocks the calling thread has had read from disk so far.
uint64_t threadDiskReads();
