#pragma once
// The running instance's mailbox for paths handed over by a second instance: a Unix
// domain socket in the runtime folder. One message is one connection's bytes.

#include <optional>
#include <string>
#include <string_view>

#include "platform/FileDescriptor.h"

class LocalChannel {
public:
    static std::string defaultPath();

    // Listens at the path (replacing a stale socket file); listening() tells if it worked.
    explicit LocalChannel(std::string path = defaultPath());
    ~LocalChannel();
    LocalChannel(const LocalChannel&) = delete;
    LocalChannel& operator=(const LocalChannel&) = delete;

    bool listening() const { return listener_.valid(); }
    // For poll(): readable when a message waits; negative when not listening.
    int handle() const { return listener_.get(); }
    // Takes at most one waiting message without blocking.
    std::optional<std::string> receive();

private:
    std::string path_;
    FileDescriptor listener_;
};

// Sends one message to the channel at the path; false when no instance listens there.
bool sendToLocalChannel(std::string_view message, const std::string& path = LocalChannel::defaultPath());
