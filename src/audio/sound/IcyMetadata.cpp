#include "audio/sound/IcyMetadata.h"

#include <cctype>
#include <string>

#include "audio/sound/TagList.h"

namespace {

std::string_view trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

void addIcyHeaderTags(std::string_view headers, TagList& tags) {
    while (!headers.empty()) {
        const size_t end = headers.find('\n');
        const std::string_view line = headers.substr(0, end);
        headers = end == std::string_view::npos ? std::string_view() : headers.substr(end + 1);
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        std::string name(trimmed(line.substr(0, colon)));
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const std::string_view value = trimmed(line.substr(colon + 1));
        if (!name.empty() && !value.empty()) setGuessedText(tags, name, value);
    }
}

void addStreamTitleTag(std::string_view packet, TagList& tags) {
    constexpr std::string_view kKey = "StreamTitle='";
    const size_t start = packet.find(kKey);
    if (start == std::string_view::npos) return;
    const std::string_view rest = packet.substr(start + kKey.size());
    // A title may hold quotes of its own; the field ends at the quote before ';'.
    size_t end = rest.find("';");
    if (end == std::string_view::npos) end = rest.rfind('\'');
    if (end == std::string_view::npos) end = rest.size();
    setGuessedText(tags, "TITLE", rest.substr(0, end));
}
