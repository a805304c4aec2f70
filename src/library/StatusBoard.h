#pragma once
// The two messages the browser shows for a moment: slot 0 information, slot 1 errors.
// Touched only under the application lock.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class StatusBoard {
public:
    struct Message {
        std::string text;
        int64_t postedAt;  // seconds since 1970
    };

    // Stores a copy and writes the text unchanged to standard output (it carries its
    // own line feed).
    void postInfo(std::string_view text) { post(kInfo, text); }
    void postError(std::string_view text) { post(kError, text); }
    // Takes the other board's messages, which are on standard output already.
    void takeOver(StatusBoard& other);
    // Drops messages posted two or more seconds before `now`.
    void expire(int64_t now);
    // The second at which expire will drop the oldest message; nothing without messages.
    std::optional<int64_t> nextExpiry() const;

    const std::optional<Message>& info() const { return slots_[kInfo]; }
    const std::optional<Message>& error() const { return slots_[kError]; }

private:
    static constexpr int kInfo = 0;
    static constexpr int kError = 1;
    void post(int slot, std::string_view text);

    std::optional<Message> slots_[2];
};
