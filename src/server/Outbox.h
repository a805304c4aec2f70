#pragma once
// The bytes of one answer on their way into a socket. Writing never blocks: what the socket
// cannot take now waits for the next write, so a peer that reads slowly delays nobody else.

#include <cstddef>
#include <string>

class TCPSocket;

class Outbox {
public:
    enum class Result { Done, Blocked, Failed };

    void assign(std::string bytes);
    // Hands the socket what it takes without waiting. A failure is reported on standard output
    // and drops the rest.
    Result writeTo(TCPSocket& socket);
    size_t remaining() const { return bytes_.size() - sent_; }

private:
    std::string bytes_;
    size_t sent_ = 0;
};
