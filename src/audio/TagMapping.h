#pragma once
// How reported tags become the keys of a library entry: the name mapping, the keys
// that are kept, the genre numbers and their names, and the trimming of values.

#include <optional>
#include <string>
#include <string_view>

class Node;
struct SoundTag;

// TIT2 gives TITLE, TCON GENRE, icy-name ALBUM, ...; any other name stays itself.
std::string_view entryKeyForTag(std::string_view tagName);
// TITLE, TRACK, ARTIST, ALBUM, YEAR, GENRE and BPM, and PICTURE, which marks a song with
// an embedded cover picture.
bool isStoredTagKey(std::string_view key);
// A genre value: after one optional "(", a number names a genre of the table (0 to 147)
// and a larger one drops the tag (nullopt); any other text stays as it is.
std::optional<std::string> genreValue(std::string_view value);
// Trailing blanks go, but never the first character.
void trimTrailingBlanks(std::string& value);
// A reported tag into `entry` under its key, as UTF-8 and trimmed, when the key is kept and
// the value is not empty; true when stored.
bool storeTag(Node& entry, const SoundTag& tag);
