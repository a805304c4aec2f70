#include "platform/DiskFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::string_view kTemporaryMark = ".tmp";
constexpr int kMaxDamagedCopies = 1000;

// A name no other writer holds, created with O_EXCL so two writers of one path never share it.
int createTemporaryBeside(const std::string& target, std::string& temporary) {
    const std::string stem = target + std::string(kTemporaryMark) + std::to_string(::getpid()) + ".";
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

bool allDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

// NAME.tmpPID.N, as createTemporaryBeside names them.
bool isTemporaryName(std::string_view name) {
    const size_t mark = name.rfind(kTemporaryMark);
    if (mark == std::string_view::npos || mark == 0) return false;
    const std::string_view numbers = name.substr(mark + kTemporaryMark.size());
    const size_t dot = numbers.find('.');
    return dot != std::string_view::npos && allDigits(numbers.substr(0, dot)) && allDigits(numbers.substr(dot + 1));
}

bool olderThan(const timespec& time, const timespec& limit) {
    return time.tv_sec < limit.tv_sec || (time.tv_sec == limit.tv_sec && time.tv_nsec < limit.tv_nsec);
}

std::string damagedName(const std::string& path, int number) {
    return number == 1 ? path + ".damaged" : path + ".damaged." + std::to_string(number);
}

// O_EXCL: an earlier copy is never replaced. EEXIST in errno asks for the next name.
bool writeNewFile(const std::string& path, std::span<const uint8_t> bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (written && closed) return true;
    const int error = errno;
    ::unlink(path.c_str());
    errno = error;
    return false;
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
        const int error = errno;
        ::unlink(temporary.c_str());
        errno = error;
        return false;
    }
    syncFolderOf(target);
    return true;
}

std::optional<std::string> keepDamagedCopy(std::string_view path, std::span<const uint8_t> bytes) {
    const std::string source(path);
    for (int number = 1; number <= kMaxDamagedCopies; ++number) {
        std::string copy = damagedName(source, number);
        if (writeNewFile(copy, bytes)) {
            syncFolderOf(copy);
            return copy;
        }
        if (errno != EEXIST) break;
    }
    return moveDamagedAside(path);
}

// A hard link and an unlink rather than a rename, which would replace an earlier copy.
std::optional<std::string> moveDamagedAside(std::string_view path) {
    const std::string source(path);
    for (int number = 1; number <= kMaxDamagedCopies; ++number) {
        std::string aside = damagedName(source, number);
        if (::link(source.c_str(), aside.c_str()) == 0) {
            ::unlink(source.c_str());
            syncFolderOf(aside);
            return aside;
        }
        if (errno != EEXIST) break;
    }
    return std::nullopt;
}

std::vector<std::string> removeLeftoverTemporaries(std::string_view folder, const timespec& startedAt) {
    std::vector<std::string> removed;
    std::string prefix(folder);
    if (!prefix.ends_with('/')) prefix.push_back('/');
    const std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(prefix.c_str()), ::closedir);
    if (!listing) return removed;
    while (const dirent* entry = ::readdir(listing.get())) {
        if (!isTemporaryName(entry->d_name)) continue;
        std::string path = prefix + entry->d_name;
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) continue;
        if (olderThan(status.st_mtim, startedAt) && ::unlink(path.c_str()) == 0) removed.push_back(std::move(path));
    }
    return removed;
}
