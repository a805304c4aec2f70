#include "audio/sound/OutputCatalog.h"

#include <SDL2/SDL_audio.h>

#include <cstdlib>

#include "audio/sound/NullOutput.h"
#include "audio/sound/SdlOutput.h"
#include "audio/sound/SoundResult.h"
#include "audio/sound/WavFileOutput.h"

namespace {

constexpr std::string_view kWavPrefix = "wav:";
// Where "WAV file" writes when VELMORANT_AUDIO names no file.
constexpr const char* kDefaultWavPath = "velmorant.wav";

std::string_view audioVariable() {
    const char* value = std::getenv("VELMORANT_AUDIO");
    return value ? value : "";
}

// The file named by "wav:<path>"; empty for any other value.
std::string_view wavPathIn(std::string_view variable) {
    return variable.starts_with(kWavPrefix) ? variable.substr(kWavPrefix.size()) : std::string_view();
}

}  // namespace

OutputCatalog::OutputCatalog() {
    names_.emplace_back("Autodetect");
    const int drivers = SDL_GetNumAudioDrivers();
    for (int i = 0; i < drivers; ++i) names_.emplace_back(SDL_GetAudioDriver(i));
    names_.emplace_back("No sound");
    names_.emplace_back("WAV file");
}

std::string_view OutputCatalog::name(int index) const {
    if (index < 0 || index >= count()) return {};
    return names_[static_cast<size_t>(index)];
}

int OutputCatalog::create(int index, std::unique_ptr<AudioOutput>& output) const {
    const std::string_view variable = audioVariable();
    const std::string_view wavPath = wavPathIn(variable);
    if (index == kAutodetect) {
        if (variable.empty()) {
            output = std::make_unique<SdlOutput>("");
        } else if (variable == "null") {
            output = std::make_unique<NullOutput>();
        } else if (!wavPath.empty()) {
            output = std::make_unique<WavFileOutput>(std::string(wavPath));
        } else {
            return kSoundErrOutputUnknown;
        }
    } else if (index == noSoundIndex()) {
        output = std::make_unique<NullOutput>();
    } else if (index == wavFileIndex()) {
        output = std::make_unique<WavFileOutput>(wavPath.empty() ? kDefaultWavPath : std::string(wavPath));
    } else if (index > 0 && index < count()) {
        output = std::make_unique<SdlOutput>(names_[static_cast<size_t>(index)]);
    } else {
        return kSoundErrInvalidParam;
    }
    return kSoundOk;
}
