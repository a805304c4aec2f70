#include "platform/FileSystem.h"

#include "platform/FileDescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

bool writeAll(int fd, const char* bytes, ssize_t count) {
    while (count > 0) {
        const ssize_t written = write(fd, bytes, static_cast<size_t>(count));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        count -= written;
    }
    return true;
}

}  // namespace

bool folderExists(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool createFolder(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        mkdir(path.substr(0, slash).c_str(), 0755);
    }
    mkdir(path.c_str(), 0755);
    return folderExists(path);
}

bool copyFileExclusive(const std::string& from, const std::string& to) {
    const FileDescriptor source(open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (source.get() < 0) return false;
    const FileDescriptor target(open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (target.get() < 0) return false;
    char buffer[65536];
    ssize_t count = 0;
    while ((count = read(source.get(), buffer, sizeof buffer)) > 0) {
        if (!writeAll(target.get(), buffer, count)) return false;
    }
    return count == 0;
}
