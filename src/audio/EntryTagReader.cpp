#include "audio/EntryTagReader.h"

#include <cstdio>
#include <optional>
#include <string>

#include "audio/LayerSongPlayer.h"
#include "audio/TagMapping.h"
#include "audio/sound/Sound.h"
#include "audio/sound/SoundResult.h"
#include "library/EntryNames.h"
#include "library/SongDigest.h"
#include "platform/DiskFile.h"
#include "storage/Node.h"
#include "storage/NodeFile.h"
#include "text/Encoding.h"

namespace {

std::string minutesAndSeconds(uint32_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u", ms / 60000, ms / 1000 % 60);
    return text;
}

// The value to store under `key`, or nothing when the tag is dropped.
std::optional<std::string> storedValue(std::string_view key, const SoundTag& tag) {
    std::string value = tag.type == TagType::kLatin1 ? latin1ToUtf8(tag.data) : tag.data;
    if (key == "GENRE") {
        std::optional<std::string> genre = genreValue(value);
        if (!genre) return std::nullopt;
        value = std::move(*genre);
    }
    trimTrailingBlanks(value);
    return value;
}

// What a later scan recognises the file by once it is moved: its size and its content
// digest, which it compares with the few new files of that size. Reading a candidate's
// tags instead would cost the merge ten times as much.
void keepRecognisable(Node& entry, std::string_view path) {
    const std::optional<DiskFileStatus> status = statDiskFile(path);
    const std::optional<std::string> digest = status ? songDigest(path, status->size) : std::nullopt;
    if (!digest) return;
    entry.setChild(entry::kSize, std::to_string(status->size));
    entry.setChild(entry::kDigest, *digest);
}

}  // namespace

bool EntryTagReader::read(Node& entry, std::string_view path, std::string_view logName) const {
    if (!entry.hasName("RADIO")) return readSong(entry, path, logName);
    Node station;
    loadNodeFile(station, path, true);
    entry.setChild("TIME", "");
    entry.copyChildrenFrom(station);
    return true;
}

bool EntryTagReader::readSong(Node& entry, std::string_view path, std::string_view logName) const {
    LayerSongPlayer player(system_, board_);
    if (!player.open(path, false)) {
        std::printf("Error opening %.*s\n", static_cast<int>(logName.size()), logName.data());
        entry.setChild("TIME", "");
        return true;
    }
    const Sound& sound = *player.sound();
    bool changed = false;
    uint32_t length = 0;
    if (sound.getLength(length) == kSoundOk) {
        entry.setChild("TIME", minutesAndSeconds(length));
        changed = true;
    }
    SoundTag tag;
    for (int index = 0; sound.getTag(index, tag) == kSoundOk; ++index) {
        if (tag.name.empty() || tag.data.empty()) continue;
        const std::string_view key = entryKeyForTag(tag.name);
        if (!isStoredTagKey(key)) continue;
        const std::optional<std::string> value = storedValue(key, tag);
        if (!value || value->empty()) continue;
        entry.setChild(key, *value);
        changed = true;
    }
    keepRecognisable(entry, path);
    return changed;
}
