#pragma once
// The bytes of a cluster file: a reserved word, an entry count, then per entry a reserved
// word, the path length, the data length, the path and the data (little-endian u32s).

#include <cstddef>
#include <cstdint>
#include <list>
#include <span>
#include <vector>

#include "storage/StoreFile.h"

inline constexpr size_t kClusterHeaderBytes = 8;
inline constexpr size_t kClusterEntryHeaderBytes = 12;

struct DecodedCluster {
    std::list<StoreFile> files;  // the whole entries, in file order, with their diskOffset
    size_t bytesUsed = 0;        // up to the end of the last whole entry
    bool damaged = false;        // the bytes end before the entries they announce
};

// Never reads outside `bytes`; an empty file is an empty cluster.
DecodedCluster decodeCluster(std::span<const uint8_t> bytes);
std::vector<uint8_t> encodeCluster(const std::list<StoreFile>& files);
