#pragma once
// The sound layer's system object: it picks and runs the output, creates sounds and plays
// them on channels, keeps the equaliser units of the mixing chain, and delivers the end of
// a channel from update() on the caller's thread. Its operations return sound result codes
// and are called by one thread at a time (the one holding the application lock); the
// layer's own threads never call back into the caller except through update().

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "audio/sound/Channel.h"
#include "audio/sound/CpuMeter.h"
#include "audio/sound/OutputCatalog.h"

class AudioOutput;
class Mixer;
class ParamEqUnit;
class Sound;

enum class SpeakerMode { kMono, kStereo, kSurround };

// createSound modes.
inline constexpr unsigned kSoundUrl = 0x1;           // the name is an http(s) address
inline constexpr unsigned kSoundOpenOnly = 0x2;      // tags and length only; never played
inline constexpr unsigned kSoundAccurateTime = 0x4;  // measure the length by the decoder

// getDriverCaps bits.
inline constexpr unsigned kCapsHardwareEmulated = 0x2;

class SoundSystem {
public:
    static constexpr unsigned kVersion = 0x00050100;

    // `configuredOutput` is the output "Autodetect" picks when VELMORANT_AUDIO is unset.
    explicit SoundSystem(std::string configuredOutput = {});
    // Closes the system when still open. Sounds must have been released before.
    ~SoundSystem();
    SoundSystem(const SoundSystem&) = delete;
    SoundSystem& operator=(const SoundSystem&) = delete;

    int getVersion(unsigned& version) const;
    // Process CPU time over wall time since the last call, in percent of one core.
    int getCPUUsage(float& total);

    // Outputs (see OutputCatalog) and the devices of the chosen one; chosen before init.
    int outputCount() const { return outputs_.count(); }
    std::string_view outputName(int index) const { return outputs_.name(index); }
    int setOutput(int index);
    int getOutput(int& index) const;
    int getNumDrivers(int& count);
    int getDriverInfo(int index, std::string& name);
    int setDriver(int index);
    int getDriver(int& index) const;
    int getDriverCaps(int driver, unsigned& caps, SpeakerMode& mode);
    int setSpeakerMode(SpeakerMode mode);
    // Frames per block handed to the output; the block count is the output's own business.
    int setDSPBufferSize(unsigned blockFrames, int blockCount);

    // Called with kSoundOk when a sound device that was missing opens, and with the failure
    // when init finds none or the update after playing a sound finds it still missing.
    void setDeviceReport(std::function<void(int result)> report) { deviceReport_ = std::move(report); }
    // Opens the output and starts pulling. The layer mixes in stereo, so a surround
    // speaker mode fails with kSoundErrOutputCreateBuffer. A sound device that cannot open
    // does not fail it: the system runs without one, channels wait silent, and the device
    // is tried again by the update after a sound is played, and every 10 s while a channel
    // should play.
    int init(int maxChannels);
    // Stops the output and every channel.
    int close();
    // Delivers the end callbacks of channels whose sound has played out; tries a missing
    // device again when it is due.
    int update();

    // A sound by file path, or by address with kSoundUrl; open-only sounds need no init.
    int createSound(std::string_view name, unsigned mode, std::unique_ptr<Sound>& sound);
    // Starts the sound on a free channel (or the one started longest ago) at full volume
    // and its own rate. A sound plays on one channel at a time, from its start.
    int playSound(Sound& sound, bool paused, std::optional<Channel>& channel);

    // A parametric equaliser unit, owned by the system until it is destroyed.
    int createParamEq(ParamEqUnit*& unit);
    // Appends the unit to the chain that every channel's sum runs through.
    int addDSP(ParamEqUnit& unit);

    // What plays the sound, for the info page: "FFmpeg 5.1, SDL 2.26".
    std::string describe() const;

private:
    int chosenOutput(AudioOutput*& output);
    void startOutput();
    // Makes the output afresh and opens it at the mixer's rate.
    void retryDevice(bool reportFailure);

    OutputCatalog outputs_;
    int outputIndex_ = OutputCatalog::kAutodetect;
    std::optional<int> driver_;
    SpeakerMode speakerMode_ = SpeakerMode::kStereo;
    int blockFrames_ = 1024;
    std::unique_ptr<AudioOutput> output_;
    bool running_ = false;
    int deviceError_ = 0;  // kSoundOk, or why the sound device is missing
    bool deviceRetryAsked_ = false;
    uint32_t lastDeviceTry_ = 0;
    std::function<void(int)> deviceReport_;
    // The mixer outlives close(), so channels and sounds released late stay safe.
    std::unique_ptr<Mixer> mixer_;
    std::vector<std::unique_ptr<ParamEqUnit>> units_;
    CpuMeter cpu_;
};
