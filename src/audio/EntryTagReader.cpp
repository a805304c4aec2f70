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

namespace {

std::string minutesAndSeconds(uint32_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u", ms / 60000, ms / 1000 % 60);
    return text;
}

// What a later scan recognises the file by once it is moved: its size, which picks the few
// new files to compare, then its tags; the content digest only for a song whose tags name
// nothing, which has nothing else to tell it by. The size read with the tags saves asking again.
void keepRecognisable(Node& entry, std::string_view path, std::optional<uint64_t> bytes) {
    if (!bytes) {
        const std::optional<DiskFileStatus> status = statDiskFile(path);
        if (!status) return;
        bytes = status->size;
    }
    entry.setChild(entry::kSize, std::to_string(*bytes));
    if (namedByTags(entry)) return;
    if (const std::optional<std::string> digest = songDigest(path, *bytes)) {
        entry.setChild(entry::kDigest, *digest);
    }
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
        if (storeTag(entry, tag)) changed = true;
    }
    keepRecognisable(entry, path, sound.fileBytes());
    return changed;
}
