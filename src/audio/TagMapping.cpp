#include "audio/TagMapping.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

#include "audio/sound/TagList.h"
#include "storage/Node.h"
#include "text/Encoding.h"

namespace {

// The ID3v1 genres with the later extensions, as the library has always spelled them.
constexpr std::array<std::string_view, 148> kGenres = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz", "Metal",
    "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno", "Industrial",
    "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro-Techno", "Ambient", "Trip-Hop", "Vocal",
    "Jazz+Funk", "Fusion", "Trance", "Classical", "Instrumental", "Acid", "House", "Game", "Sound Clip",
    "Gospel", "Noise", "AlternRock", "Bass", "Soul", "Punk", "Space", "Meditative", "Instrumental Pop",
    "Instrumental Rock", "Ethnic", "Gothic", "Darkwave", "Techno-Industrial", "Electronic", "Pop-Folk",
    "Eurodance", "Dream", "Southern Rock", "Comedy", "Cult", "Gangsta", "Top 40", "Christian Rap", "Pop/Funk",
    "Jungle", "Native US", "Cabaret", "New Wave", "Psychadelic", "Rave", "Showtunes", "Trailer", "Lo-Fi",
    "Tribal", "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical", "Rock & Roll", "Hard Rock", "Folk",
    "Folk-Rock", "National Folk", "Swing", "Fast Fusion", "Bebob", "Latin", "Revival", "Celtic", "Bluegrass",
    "Avantgarde", "Gothic Rock", "Progressive Rock", "Psychedelic Rock", "Symphonic Rock", "Slow Rock",
    "Big Band", "Chorus", "Easy Listening", "Acoustic", "Humour", "Speech", "Chanson", "Opera",
    "Chamber Music", "Sonata", "Symphony", "Booty Bass", "Primus", "Porn Groove", "Satire", "Slow Jam",
    "Club", "Tango", "Samba", "Folklore", "Ballad", "Power Ballad", "Rhytmic Soul", "Freestyle", "Duet",
    "Punk Rock", "Drum Solo", "Acapella", "Euro-House", "Dance Hall", "Goa", "Drum & Bass", "Club-House",
    "Hardcore", "Terror", "Indie", "BritPop", "Worldbeat", "Polsk Punk", "Beat", "Christian Gangsta",
    "Heavy Metal", "Black Metal", "Crossover", "Contemporary C", "Christian Rock", "Merengue", "Salsa",
    "Thrash Metal", "Anime", "JPop", "SynthPop",
};

}  // namespace

std::string_view entryKeyForTag(std::string_view tagName) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 11> kKeys = {{
        {"icy-name", "ALBUM"},
        {"icy-genre", "GENRE"},
        {"TCON", "GENRE"},
        {"icy-url", "URL"},
        {"TIT2", "TITLE"},
        {"TRCK", "TRACK"},
        {"TYER", "YEAR"},
        {"TIM", "TIME"},
        {"TLE", "TIME"},
        {"TIME", "TIME"},
        {"TLEN", "TIME"},
    }};
    for (const auto& [name, key] : kKeys) {
        if (name == tagName) return key;
    }
    return tagName;
}

bool isStoredTagKey(std::string_view key) {
    static constexpr std::array<std::string_view, 8> kStored = {"TITLE", "TRACK", "ARTIST", "ALBUM",
                                                                "YEAR",  "GENRE", "BPM",    "PICTURE"};
    for (const std::string_view stored : kStored) {
        if (stored == key) return true;
    }
    return false;
}

std::optional<std::string> genreValue(std::string_view value) {
    const std::string_view number = value.starts_with('(') ? value.substr(1) : value;
    if (number.empty() || !std::isdigit(static_cast<unsigned char>(number.front()))) return std::string(value);
    size_t genre = 0;
    for (const char c : number) {
        if (!std::isdigit(static_cast<unsigned char>(c))) break;
        genre = genre * 10 + static_cast<size_t>(c - '0');
        if (genre >= kGenres.size()) return std::nullopt;
    }
    return std::string(kGenres[genre]);
}

void trimTrailingBlanks(std::string& value) {
    const size_t last = value.find_last_not_of(' ');
    value.resize(last == std::string::npos ? std::min<size_t>(value.size(), 1) : last + 1);
}

bool storeTag(Node& entry, const SoundTag& tag) {
    if (tag.name.empty() || tag.data.empty()) return false;
    const std::string_view key = entryKeyForTag(tag.name);
    if (!isStoredTagKey(key)) return false;
    std::string value = tag.type == TagType::kLatin1 ? latin1ToUtf8(tag.data) : tag.data;
    if (key == "GENRE") {
        std::optional<std::string> genre = genreValue(value);
        if (!genre) return false;
        value = std::move(*genre);
    }
    trimTrailingBlanks(value);
    if (value.empty()) return false;
    entry.setChild(key, value);
    return true;
}
