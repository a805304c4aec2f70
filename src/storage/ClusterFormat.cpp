#include "storage/ClusterFormat.h"

namespace {

uint32_t readU32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

void appendU32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

}  // namespace

DecodedCluster decodeCluster(std::span<const uint8_t> bytes) {
    DecodedCluster cluster;
    if (bytes.empty()) return cluster;
    if (bytes.size() < kClusterHeaderBytes) {
        cluster.damaged = true;
        return cluster;
    }
    const uint32_t count = readU32(bytes.data() + 4);
    size_t position = kClusterHeaderBytes;
    // The count is only trusted as far as the bytes really hold entries.
    for (uint32_t entry = 0; entry < count; ++entry) {
        const size_t left = bytes.size() - position;
        if (left < kClusterEntryHeaderBytes) {
            cluster.damaged = true;
            break;
        }
        const uint64_t pathLength = readU32(bytes.data() + position + 4);
        const uint64_t dataLength = readU32(bytes.data() + position + 8);
        if (pathLength + dataLength > left - kClusterEntryHeaderBytes) {
            cluster.damaged = true;
            break;
        }
        const uint8_t* path = bytes.data() + position + kClusterEntryHeaderBytes;
        const uint8_t* data = path + pathLength;
        StoreFile& file = cluster.files.emplace_back(
            StoreFile{std::string(reinterpret_cast<const char*>(path), pathLength), {data, data + dataLength}});
        file.diskOffset = static_cast<uint32_t>(data - bytes.data());
        position += kClusterEntryHeaderBytes + pathLength + dataLength;
    }
    cluster.bytesUsed = position;
    return cluster;
}

std::vector<uint8_t> encodeCluster(const std::list<StoreFile>& files) {
    size_t total = kClusterHeaderBytes;
    for (const StoreFile& file : files) total += kClusterEntryHeaderBytes + file.path.size() + file.data.size();
    std::vector<uint8_t> out;
    out.reserve(total);
    appendU32(out, 0);
    appendU32(out, static_cast<uint32_t>(files.size()));
    for (const StoreFile& file : files) {
        appendU32(out, 0);
        appendU32(out, static_cast<uint32_t>(file.path.size()));
        appendU32(out, static_cast<uint32_t>(file.data.size()));
        out.insert(out.end(), file.path.begin(), file.path.end());
        out.insert(out.end(), file.data.begin(), file.data.end());
    }
    return out;
}
