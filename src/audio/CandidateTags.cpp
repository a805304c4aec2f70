#include "audio/CandidateTags.h"

#include <optional>

#include "audio/TagMapping.h"
#include "audio/sound/SoundResult.h"
#include "audio/sound/TagFileReader.h"
#include "audio/sound/TagList.h"

bool readCandidateTags(std::string_view path, Node& tags, uint32_t& lengthMs) {
    TagList read;
    TagFileFacts facts;
    const bool readable = readTagFile(path, false, read, facts) == kSoundOk;
    lengthMs = facts.lengthMs;
    if (!readable) return false;
    for (size_t index = 0; const std::optional<SoundTag> tag = read.at(index); ++index) storeTag(tags, *tag);
    return true;
}
