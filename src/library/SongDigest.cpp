#include "library/SongDigest.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>

#include "platform/DiskFile.h"

namespace {

constexpr long kPartBytes = 64 * 1024;

// FNV-1a over the bytes read; false on a read error.
bool hashPart(std::FILE* file, long offset, uint64_t& hash) {
    if (std::fseek(file, offset, SEEK_SET) != 0) return false;
    std::array<unsigned char, 8192> buffer{};
    long left = kPartBytes;
    while (left > 0) {
        const size_t wanted = std::min<size_t>(buffer.size(), static_cast<size_t>(left));
        const size_t read = std::fread(buffer.data(), 1, wanted, file);
        for (size_t i = 0; i < read; ++i) hash = (hash ^ buffer[i]) * 0x100000001b3ULL;
        left -= static_cast<long>(read);
        if (read < wanted) break;
    }
    return !std::ferror(file);
}

}  // namespace

std::optional<std::string> songDigest(std::string_view path) {
    const std::optional<DiskFileStatus> status = statDiskFile(path);
    const DiskFile file = openDiskFile(path, "rb");
    if (!status || !file) return std::nullopt;
    const long size = static_cast<long>(status->size);
    uint64_t hash = 0xcbf29ce484222325ULL;
    if (!hashPart(file.get(), 0, hash)) return std::nullopt;
    const long tail = std::max(kPartBytes, size - kPartBytes);
    if (size > kPartBytes && !hashPart(file.get(), tail, hash)) return std::nullopt;
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return std::string(text);
}
