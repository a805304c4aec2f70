#include "audio/sound/OutputCatalog.h"

#include <SDL2/SDL_audio.h>

#include <cstdlib>

#include "audio/sound/NullOutput.h"
#include "audio/sound/PipeOutput.h"
#include "audio/sound/SdlOutput.h"
#include "audio/sound/SoundResult.h"
#include "audio/sound/WavFileOutput.h"

namespace {

constexpr std::string_view kWavPrefix = "wav:";
constexpr std::string_view kPipePrefix = "pipe:";
// Where "WAV file" writes when VELMORANT_AUDIO names no file.
constexpr const char* kDefaultWavPath = "velmorant.wav";

// The path after the prefix; empty for a value without it.
std::string_view pathAfter(std::string_view prefix, std::string_view choice) {
    return choice.starts_with(prefix) ? choice.substr(prefix.size()) : std::string_view();
}

}  // namespace

OutputCatalog::OutputCatalog(std::string configured) : configured_(std::move(configured)) {
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
    const char* variable = std::getenv("VELMORANT_AUDIO");
    const std::string_view choice = variable && *variable ? std::string_view(variable) : configured_;
    const std::string_view wavPath = pathAfter(kWavPrefix, choice);
    const std::string_view pipePath = pathAfter(kPipePrefix, choice);
    if (index == kAutodetect) {
        if (choice.empty()) {
            output = std::make_unique<SdlOutput>("");
        } else if (choice == "null") {
            output = std::make_unique<NullOutput>();
        } else if (!wavPath.empty()) {
            output = std::make_unique<WavFileOutput>(std::string(wavPath));
        } else if (!pipePath.empty()) {
            output = std::make_unique<PipeOutput>(std::string(pipePath));
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
