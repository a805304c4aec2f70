#include "library/SettingDefaults.h"

#include <array>

#include "platform/Folders.h"
#include "text/TextSearch.h"

namespace {

struct Default {
    std::string_view name;
    std::string_view value;
};

constexpr std::array kExact{
    Default{"FILTER", "0"},      Default{"PLAYING", "0"},
    Default{"PAGE_MAX_MATCHES", "200"}, Default{"PAGE_MIN_MATCHES", "10"},
    Default{"SEARCH", ""},       Default{"VOLUME", "1"},
    Default{"SHOW_FIRST_RUN_DIALOG", "1"}, Default{"EQ_ACTIVE", "0"},
};

constexpr std::array kPatterns{
    Default{"EQ_0_CENTER", "363"},   Default{"EQ_1_CENTER", "2767"},  Default{"EQ_2_CENTER", "9292"},
    Default{"EQ_*_BANDWIDTH", "1"}, Default{"EQ_*_GAIN", "1"},
};

}  // namespace

Str settingDefault(std::string_view name) {
    if (name == "REPOSITORY_PATHS") return Str(userMusicFolder());
    for (const Default& entry : kExact) {
        if (entry.name == name) return entry.value;
    }
    for (const Default& entry : kPatterns) {
        if (wildcardMatch(entry.name, name)) return entry.value;
    }
    return "";
}
