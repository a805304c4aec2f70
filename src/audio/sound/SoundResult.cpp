#include "audio/sound/SoundResult.h"

#include <array>

namespace {

constexpr std::array<std::string_view, kSoundResultCount> kTexts = {
    "No errors.",
    "File not found.",
    "Unsupported or corrupt audio file.",
    "Not a stream address (http:// or https://).",
    "Streams can only be opened for playing.",
    "The channel has stopped or ended.",
    "An invalid parameter was passed.",
    "The sound system has not been initialised.",
    "Not allowed once the sound system has been initialised.",
    "The output cannot play in this speaker mode.",
    "No sound device could be opened (set VELMORANT_AUDIO=null to play silently).",
    "VELMORANT_AUDIO names no output: leave it unset, or use null, wav:<path> or pipe:<path>.",
    "The WAV file cannot be written.",
    "Not supported for this sound.",
    "No tag at this index.",
    "Out of memory.",
    "The pipe cannot be made: its path is taken by something else, or its folder is missing.",
};

}  // namespace

std::string_view soundResultText(int result) {
    if (result < 0 || result >= kSoundResultCount) return "Unknown error.";
    return kTexts[static_cast<size_t>(result)];
}
