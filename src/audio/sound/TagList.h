#pragma once
// The tags a sound reports, by index. A stream's reader thread updates them while the
// control thread reads them, so every access takes the list's own short lock.

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class TagType {
    kLatin1,  // ISO-8859-1 text
    kUtf8,
};

struct SoundTag {
    std::string name;
    TagType type = TagType::kUtf8;
    std::string data;
};

class TagList {
public:
    // Replaces the first tag of that name, or appends one.
    void set(std::string_view name, TagType type, std::string_view data);
    // A copy of the index-th tag; nothing past the end.
    std::optional<SoundTag> at(size_t index) const;

private:
    mutable std::mutex mutex_;
    std::vector<SoundTag> tags_;
};

// Text of unknown encoding tagged as UTF-8 when it is valid UTF-8, else as Latin-1.
void setGuessedText(TagList& tags, std::string_view name, std::string_view text);
