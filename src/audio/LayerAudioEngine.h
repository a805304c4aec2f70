#pragma once
// The audio engine on the sound layer (FFmpeg decoding, SDL2 or file output, TagLib tags).

#include <memory>
#include <optional>

#include "audio/AudioEngine.h"
#include "audio/Equaliser.h"

class SoundSystem;

class LayerAudioEngine : public AudioEngine {
public:
    LayerAudioEngine(StatusBoard& board, std::string configuredOutput);
    ~LayerAudioEngine() override;

    EngineResult init() override;
    void close() override;
    void update() override;
    Str infoText() override;
    int driverCount() override;
    Str driverName(int index) override;
    int setDriver(int index) override;
    int driver() override;
    int outputCount() override;
    Str outputName(int index) override;
    void setOutput(int index) override;
    int output() override;
    void setEqParameter(unsigned band, unsigned parameter, double value) override;
    bool readTags(Node& entry, std::string_view path, std::string_view logName) override;
    void readSongTags(Node& values, StatusBoard& board, std::string_view path,
                      std::string_view logName) const override;
    std::unique_ptr<SongPlayer> createSongPlayer() override;

private:
    EngineResult openOutput();

    StatusBoard& board_;
    // Exists from construction, so output and driver can be chosen before init; null after close.
    std::unique_ptr<SoundSystem> system_;
    std::optional<Equaliser> equaliser_;
};
