#include "audio/sound/SdlOutput.h"

#include <SDL2/SDL.h>

#include <cstring>

#include "audio/sound/Mixer.h"
#include "audio/sound/QuietStandardError.h"
#include "audio/sound/SoundResult.h"

SdlOutput::SdlOutput(const std::string& driver) {
    const QuietStandardError quiet;
    if (!driver.empty()) SDL_SetHint(SDL_HINT_AUDIODRIVER, driver.c_str());
    audioStarted_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
}

SdlOutput::~SdlOutput() {
    stop();
    if (audioStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

std::vector<std::string> SdlOutput::deviceNames() const {
    std::vector<std::string> names;
    if (!audioStarted_) return names;
    const QuietStandardError quiet;
    const int count = SDL_GetNumAudioDevices(0);
    for (int i = 0; i < count; ++i) {
        const char* name = SDL_GetAudioDeviceName(i, 0);
        names.emplace_back(name ? name : "");
    }
    return names;
}

int SdlOutput::deviceChannels(int device) const {
    SDL_AudioSpec spec{};
    const QuietStandardError quiet;
    if (!audioStarted_ || SDL_GetAudioDeviceSpec(device, 0, &spec) != 0 || spec.channels == 0) return 2;
    return spec.channels;
}

int SdlOutput::open(int device, int blockFrames, int rate) {
    if (!audioStarted_) return kSoundErrOutputInit;
    const QuietStandardError quiet;
    const char* name = device >= 0 && device < SDL_GetNumAudioDevices(0) ? SDL_GetAudioDeviceName(device, 0) : nullptr;
    SDL_AudioSpec wanted{};
    wanted.freq = rate != 0 ? rate : kPreferredRate;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = 2;
    wanted.samples = static_cast<Uint16>(blockFrames);
    wanted.callback = pull;
    wanted.userdata = this;
    // A required rate is converted by SDL; otherwise the decoders convert to the device's.
    const int changes = (rate != 0 ? 0 : SDL_AUDIO_ALLOW_FREQUENCY_CHANGE) | SDL_AUDIO_ALLOW_SAMPLES_CHANGE;
    device_ = SDL_OpenAudioDevice(name, 0, &wanted, &obtained_, changes);
    return device_ != 0 ? kSoundOk : kSoundErrOutputInit;
}

void SdlOutput::start(Mixer& mixer) {
    mixer_ = &mixer;
    SDL_PauseAudioDevice(device_, 0);
}

void SdlOutput::stop() {
    if (device_ != 0) SDL_CloseAudioDevice(device_);
    device_ = 0;
    mixer_ = nullptr;
}

std::string SdlOutput::description() const {
    SDL_version version{};
    SDL_GetVersion(&version);
    return "SDL " + std::to_string(version.major) + "." + std::to_string(version.minor);
}

void SdlOutput::pull(void* self, uint8_t* stream, int length) {
    Mixer* mixer = static_cast<SdlOutput*>(self)->mixer_;
    const auto frames = static_cast<size_t>(length) / (2 * sizeof(float));
    if (mixer) {
        mixer->render(reinterpret_cast<float*>(stream), frames);
    } else {
        std::memset(stream, 0, static_cast<size_t>(length));
    }
}
