// Tag texts from outside: stream header lines and title packets as a radio station sends
// them, and tag values on their way into a library entry (genre numbers, trimming).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "audio/TagMapping.h"
#include "audio/sound/IcyMetadata.h"
#include "audio/sound/TagList.h"
#include "text/Encoding.h"

namespace {

// Every tag of the list is readable, and what claims to be UTF-8 is.
void checkTags(const TagList& tags) {
    for (size_t index = 0;; ++index) {
        const std::optional<SoundTag> tag = tags.at(index);
        if (!tag) return;
        if (tag->type == TagType::kUtf8 && !isValidUtf8(tag->data)) __builtin_trap();
        if (!isValidUtf8(latin1ToUtf8(tag->data))) __builtin_trap();
    }
}

void checkValue(std::string_view bytes) {
    const std::optional<std::string> genre = genreValue(bytes);
    std::string value = genre.value_or(std::string(bytes));
    trimTrailingBlanks(value);
    if (value.size() > 1 && value.back() == ' ') __builtin_trap();
    if (value.empty() != bytes.empty()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TagList tags;
    addIcyHeaderTags(bytes, tags);
    addStreamTitleTag(bytes, tags);
    checkTags(tags);
    checkValue(bytes);
    return 0;
}
