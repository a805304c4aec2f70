#include "audio/sound/CommonTagNames.h"

#include <array>
#include <utility>

std::string_view commonTagName(std::string_view fieldName) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 9> kNames = {{
        {"TITLE", "TITLE"},
        {"ARTIST", "ARTIST"},
        {"ALBUM", "ALBUM"},
        {"DATE", "YEAR"},
        {"YEAR", "YEAR"},
        {"TRACKNUMBER", "TRACK"},
        {"TRACK", "TRACK"},
        {"GENRE", "GENRE"},
        {"BPM", "BPM"},
    }};
    for (const auto& [field, reported] : kNames) {
        if (field == fieldName) return reported;
    }
    return {};
}
