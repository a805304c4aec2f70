#include "server/Outbox.h"

#include "net/TCPSocket.h"

void Outbox::assign(std::string bytes) {
    bytes_ = std::move(bytes);
    sent_ = 0;
}

Outbox::Result Outbox::writeTo(TCPSocket& socket) {
    while (remaining() > 0) {
        const std::optional<size_t> count = socket.sendAvailable(std::string_view(bytes_).substr(sent_));
        if (!count) {
            bytes_.clear();
            sent_ = 0;
            return Result::Failed;
        }
        if (*count == 0) return Result::Blocked;
        sent_ += *count;
    }
    // A finished connection may wait a second before it closes; it need not hold the bytes.
    std::string().swap(bytes_);
    sent_ = 0;
    return Result::Done;
}
