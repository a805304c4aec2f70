#include "platform/LocalChannel.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cstring>

#include "platform/Folders.h"

namespace {

// A message is a path; anything longer than this is not one.
constexpr size_t kMaxMessage = 65536;
constexpr int kReadTimeoutMs = 1000;

bool socketAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

std::optional<std::string> readMessage(int fd) {
    std::string message;
    char buffer[4096];
    pollfd waiting{fd, POLLIN, 0};
    while (message.size() <= kMaxMessage && poll(&waiting, 1, kReadTimeoutMs) > 0) {
        const ssize_t count = read(fd, buffer, sizeof buffer);
        if (count <= 0) return message.size() <= kMaxMessage ? std::optional(message) : std::nullopt;
        message.append(buffer, static_cast<size_t>(count));
    }
    return std::nullopt;
}

}  // namespace

std::string LocalChannel::defaultPath() { return runtimeFolder() + "VelmorantPlayer.sock"; }

LocalChannel::LocalChannel(std::string path) : path_(std::move(path)) {
    sockaddr_un address{};
    if (!socketAddress(path_, address)) return;
    FileDescriptor fd(socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd.valid()) return;
    unlink(path_.c_str());
    if (bind(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return;
    if (listen(fd.get(), 16) != 0) return;
    listener_ = std::move(fd);
}

LocalChannel::~LocalChannel() {
    if (listening()) unlink(path_.c_str());
}

std::optional<std::string> LocalChannel::receive() {
    if (!listening()) return std::nullopt;
    const FileDescriptor connection(accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!connection.valid()) return std::nullopt;
    return readMessage(connection.get());
}

bool sendToLocalChannel(std::string_view message, const std::string& path) {
    sockaddr_un address{};
    if (!socketAddress(path, address)) return false;
    const FileDescriptor fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd.valid()) return false;
    if (connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return false;
    while (!message.empty()) {
        const ssize_t sent = send(fd.get(), message.data(), message.size(), MSG_NOSIGNAL);
        if (sent <= 0) return false;
        message.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
}
