#include "net/TCPSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "net/HostInfo.h"
#include "net/SocketErrors.h"

namespace {

// Reports errno and passes the failure on.
bool failed() {
    reportSocketError(errno);
    return false;
}

sockaddr_in ipv4Address(in_addr_t address, int port) {
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = htons(static_cast<uint16_t>(port & 0xFFFF));
    result.sin_addr.s_addr = address;
    return result;
}

timeval toTimeval(int milliseconds) {
    return {milliseconds / 1000, static_cast<suseconds_t>(milliseconds % 1000) * 1000};
}

}  // namespace

TCPSocket::TCPSocket(int port)
    : port_(port), handle_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)), nonBlocking_(true) {
    if (!handle_.valid()) failed();
}

int TCPSocket::localPort() const {
    sockaddr_in address{};
    socklen_t size = sizeof address;
    if (getsockname(handle_.get(), reinterpret_cast<sockaddr*>(&address), &size) != 0) return 0;
    return ntohs(address.sin_port);
}

bool TCPSocket::setOption(int level, int option, const void* value, unsigned size) {
    return setsockopt(handle_.get(), level, option, value, size) == 0 || failed();
}

bool TCPSocket::setReuseAddress() {
    const int on = 1;
    return setOption(SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
}

bool TCPSocket::setLinger(int seconds) {
    const linger value{1, seconds};
    return setOption(SOL_SOCKET, SO_LINGER, &value, sizeof value);
}

bool TCPSocket::makeBlocking() {
    if (!nonBlocking_) return true;
    nonBlocking_ = false;
    int off = 0;
    return ioctl(handle_.get(), FIONBIO, &off) == 0 || failed();
}

bool TCPSocket::setReceiveTimeout(int milliseconds) {
    const timeval value = toTimeval(milliseconds);
    return setOption(SOL_SOCKET, SO_RCVTIMEO, &value, sizeof value);
}

bool TCPSocket::setSendTimeout(int milliseconds) {
    const timeval value = toTimeval(milliseconds);
    return setOption(SOL_SOCKET, SO_SNDTIMEO, &value, sizeof value);
}

bool TCPSocket::bind() {
    const sockaddr_in address = ipv4Address(htonl(INADDR_ANY), port_);
    const auto* generic = reinterpret_cast<const sockaddr*>(&address);
    return ::bind(handle_.get(), generic, sizeof address) == 0 || failed();
}

bool TCPSocket::listen(int backlog) {
    return ::listen(handle_.get(), backlog) == 0 || failed();
}

bool TCPSocket::setNonBlocking() {
    const int flags = fcntl(handle_.get(), F_GETFL);
    return (flags >= 0 && fcntl(handle_.get(), F_SETFL, flags | O_NONBLOCK) == 0) || failed();
}

std::optional<TCPSocket> TCPSocket::accept(Str& peerText) {
    sockaddr_in peer{};
    socklen_t size = sizeof peer;
    FileDescriptor accepted(
        ::accept4(handle_.get(), reinterpret_cast<sockaddr*>(&peer), &size, SOCK_CLOEXEC));
    if (!accepted.valid()) {
        failed();
        return std::nullopt;
    }
    std::array<char, INET_ADDRSTRLEN> text{};
    inet_ntop(AF_INET, &peer.sin_addr, text.data(), text.size());
    peerText.append(text.data());
    return TCPSocket(std::move(accepted));
}

bool TCPSocket::connect(std::string_view hostName, int timeoutMilliseconds) {
    const HostInfo host = lookupHost(hostName);
    if (!host.found()) return false;
    const sockaddr_in address = ipv4Address(inet_addr(host.addressText().c_str()), port_);
    if (timeoutMilliseconds > 0) {
        return connectWithin(&address, sizeof address, timeoutMilliseconds);
    }
    const auto* generic = reinterpret_cast<const sockaddr*>(&address);
    return ::connect(handle_.get(), generic, sizeof address) == 0 || failed();
}

// Connects in non-blocking mode and waits for the outcome, then restores the mode.
bool TCPSocket::connectWithin(const void* address, unsigned size, int timeoutMilliseconds) {
    const int fd = handle_.get();
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) return failed();
    int error = 0;
    if (::connect(fd, static_cast<const sockaddr*>(address), size) != 0) error = errno;
    if (error == EINPROGRESS) {
        pollfd waiting{fd, POLLOUT, 0};
        const int ready = poll(&waiting, 1, timeoutMilliseconds);
        socklen_t length = sizeof error;
        if (ready == 0) {
            error = ETIMEDOUT;
        } else if (ready < 0) {
            error = errno;
        } else if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
            error = errno;
        }
    }
    fcntl(fd, F_SETFL, flags);
    if (error == 0) return true;
    reportSocketError(error);
    return false;
}

bool TCPSocket::send(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(handle_.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0) return failed();
        bytes.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
}

std::optional<size_t> TCPSocket::sendAvailable(std::string_view bytes) {
    while (true) {
        const ssize_t sent = ::send(handle_.get(), bytes.data(), bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent >= 0) return static_cast<size_t>(sent);
        if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
        if (errno != EINTR) {
            failed();
            return std::nullopt;
        }
    }
}

long TCPSocket::receive(ByteBuffer& buffer, size_t limit) {
    std::array<char, kReceiveLimit> piece;
    const ssize_t received = ::recv(handle_.get(), piece.data(), std::min(limit, piece.size()), 0);
    if (received < 0) {
        failed();
        return -1;
    }
    buffer.append(piece.data(), static_cast<size_t>(received));
    return received;
}

bool TCPSocket::shutdownSending() {
    return ::shutdown(handle_.get(), SHUT_WR) == 0 || errno == ENOTCONN || failed();
}
