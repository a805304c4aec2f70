#pragma once
// Real files by UTF-8 path. Linux takes the path bytes as they are.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <time.h>

struct DiskFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
// An open C file that closes itself.
using DiskFile = std::unique_ptr<std::FILE, DiskFileCloser>;

struct DiskFileStatus {
    uint64_t size = 0;
    int64_t modifiedTime = 0;  // seconds since the epoch
    bool isDirectory = false;
    bool isRegularFile = false;  // not a directory, pipe, socket or device
};

// fopen with a C mode text ("rb", "wb", ...); null when the file cannot be opened.
DiskFile openDiskFile(std::string_view path, const char* mode);
std::optional<DiskFileStatus> statDiskFile(std::string_view path);
bool diskFileExists(std::string_view path);

// The whole file; nothing when it cannot be opened or read, or holds more than maxBytes.
std::optional<std::vector<uint8_t>> readDiskFile(std::string_view path, uint64_t maxBytes);
// Writes the bytes to a new file beside `path`, syncs it and renames it over `path`, so the
// path always holds the old contents or the new ones, never a mix. On false the old file
// is untouched and errno tells why. An existing file keeps its permission bits.
bool replaceDiskFile(std::string_view path, std::span<const uint8_t> bytes);

// Keeps the bytes of a damaged file beside it under the first free name of path +
// ".damaged", ".damaged.2", ...; never replaces an earlier copy. When no copy can be
// written (a full disk), the file itself is moved to that name. The name used, or nothing.
std::optional<std::string> keepDamagedCopy(std::string_view path, std::span<const uint8_t> bytes);
// Moves a file that cannot be read to the first free ".damaged" name; the name, or nothing.
std::optional<std::string> moveDamagedAside(std::string_view path);

// Removes the temporary files that replaceDiskFile leaves when it is cut short, from the
// folder (not below it), when they were last changed before `startedAt` (a wall-clock
// time). The paths removed.
std::vector<std::string> removeLeftoverTemporaries(std::string_view folder, const timespec& startedAt);
