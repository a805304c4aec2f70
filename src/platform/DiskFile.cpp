#include "platform/DiskFile.h"

#include <cerrno>
#include <cstdio>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A name no other writer holds, created with O_EXCL so two writers of one path never share it.
int createTemporaryBeside(const std::string& target, std::string& temporary) {
    const std::string stem = target + ".tmp" + std::to_string(::getpid()) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = stem + std::to_string(attempt);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool writeAll(int fd, std::span<const uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes = bytes.subspan(static_cast<size_t>(written));
    }
    return true;
}

// Makes the rename itself durable; a failure only weakens that, so it is ignored.
void syncFolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

DiskFile openDiskFile(std::string_view path, const char* mode) {
    return DiskFile(std::fopen(std::string(path).c_str(), mode));
}

std::optional<DiskFileStatus> statDiskFile(std::string_view path) {
    struct stat status {};
    if (::stat(std::string(path).c_str(), &status) != 0) return std::nullopt;
    return DiskFileStatus{static_cast<uint64_t>(status.st_size), static_cast<int64_t>(status.st_mtime),
                          S_ISDIR(status.st_mode), S_ISREG(status.st_mode)};
}

bool diskFileExists(std::string_view path) {
    return ::access(std::string(path).c_str(), F_OK) == 0;
}

std::optional<std::vector<uint8_t>> readDiskFile(std::string_view path, uint64_t maxBytes) {
    const DiskFile file = openDiskFile(path, "rb");
    if (!file) return std::nullopt;
    std::vector<uint8_t> bytes;
    struct stat status {};
    if (::fstat(::fileno(file.get()), &status) == 0 && status.st_size > 0) {
        if (static_cast<uint64_t>(status.st_size) > maxBytes) return std::nullopt;
        // Straight into place: the cluster files alone are megabytes at every start.
        bytes.resize(static_cast<size_t>(status.st_size));
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
    }
    uint8_t chunk[65536];
    while (const size_t count = std::fread(chunk, 1, sizeof chunk, file.get())) {
        if (bytes.size() + count > maxBytes) return std::nullopt;
        bytes.insert(bytes.end(), chunk, chunk + count);
    }
    if (std::ferror(file.get())) return std::nullopt;
    return bytes;
}

bool replaceDiskFile(std::string_view path, std::span<const uint8_t> bytes) {
    const std::string target(path);
    std::string temporary;
    const int fd = createTemporaryBeside(target, temporary);
    if (fd < 0) return false;
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) ::fchmod(fd, existing.st_mode & 07777);
    const bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    syncFolderOf(target);
    return true;
}
