#include "audio/sound/TagList.h"

#include "text/Encoding.h"

void TagList::set(std::string_view name, TagType type, std::string_view data) {
    const std::lock_guard lock(mutex_);
    for (SoundTag& tag : tags_) {
        if (tag.name == name) {
            tag.type = type;
            tag.data = data;
            return;
        }
    }
    tags_.push_back({std::string(name), type, std::string(data)});
}

std::optional<SoundTag> TagList::at(size_t index) const {
    const std::lock_guard lock(mutex_);
    if (index >= tags_.size()) return std::nullopt;
    return tags_[index];
}

void setGuessedText(TagList& tags, std::string_view name, std::string_view text) {
    tags.set(name, isValidUtf8(text) ? TagType::kUtf8 : TagType::kLatin1, text);
}
