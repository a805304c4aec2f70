#pragma once
// An IPv4 TCP socket. It owns its handle and closes it on destruction; it can be moved,
// not copied. Operations block (a connect or receive time-out can bound the wait), are
// meant for one thread at a time, and report a failure as one "TCPSocket: ..." line on
// standard output before returning it. Sends never raise SIGPIPE.

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/FileDescriptor.h"
#include "text/ByteBuffer.h"
#include "text/Str.h"

class TCPSocket {
public:
    // The most one receive() takes.
    static constexpr size_t kReceiveLimit = 8096;

    // Creates the socket; `port` (low 16 bits) is where bind() listens and connect() goes.
    explicit TCPSocket(int port);

    bool valid() const { return handle_.valid(); }
    // The handle, for poll(); the socket keeps owning it.
    int handle() const { return handle_.get(); }
    // The port the socket is bound to (useful after binding port 0); 0 when unknown.
    int localPort() const;

    // Closes now rather than at destruction; later operations fail.
    void close() { handle_.reset(); }

    bool setReuseAddress();
    bool setLinger(int seconds);
    // Puts the socket in blocking mode once; later calls do nothing.
    bool makeBlocking();
    // Bounds each later receive() / send() wait; 0 waits for ever.
    bool setReceiveTimeout(int milliseconds);
    bool setSendTimeout(int milliseconds);

    // Binds to all IPv4 interfaces at the port.
    bool bind();
    bool listen(int backlog = 5);
    // Makes accept() and receive() return at once instead of waiting.
    bool setNonBlocking();
    // Waits for a connection; appends the peer's dotted quad to `peerText`.
    std::optional<TCPSocket> accept(Str& peerText);

    // Connects to the first IPv4 address of a host name or dotted quad, at the port. A
    // positive time-out bounds the wait for the connection (it fails with ETIMEDOUT).
    bool connect(std::string_view hostName, int timeoutMilliseconds = 0);

    // Sends every byte (retrying short writes); false on failure.
    bool send(std::string_view bytes);
    // Hands the socket what it takes now without waiting: the count taken (0 when it is
    // full), or nothing on failure.
    std::optional<size_t> sendAvailable(std::string_view bytes);
    // Appends at most `limit` bytes (at most kReceiveLimit). Returns their count, 0 when the
    // peer has closed, -1 on failure or time-out.
    long receive(ByteBuffer& buffer, size_t limit = kReceiveLimit);
    // Ends the sending side: the peer reads the end of the stream; receiving goes on. A
    // peer already gone is no failure.
    bool shutdownSending();

private:
    explicit TCPSocket(FileDescriptor accepted) : handle_(std::move(accepted)) {}
    bool setOption(int level, int option, const void* value, unsigned size);
    bool connectWithin(const void* address, unsigned size, int timeoutMilliseconds);

    int port_ = 0;
    FileDescriptor handle_;
    bool nonBlocking_ = false;
};
