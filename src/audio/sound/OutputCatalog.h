#pragma once
// The outputs the sound system offers, by index: "Autodetect" (VELMORANT_AUDIO decides, else
// the configured choice: empty for the default SDL device, "null", "wav:<path>" or
// "pipe:<path>"), then each audio driver SDL was built with, then "No sound" and "WAV file".

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class AudioOutput;

class OutputCatalog {
public:
    static constexpr int kAutodetect = 0;

    // `configured` stands in for VELMORANT_AUDIO when that is unset or empty.
    explicit OutputCatalog(std::string configured = {});

    int count() const { return static_cast<int>(names_.size()); }
    // Empty for an index outside the list.
    std::string_view name(int index) const;
    // Makes the output at `index` (not yet opened); a sound result code.
    int create(int index, std::unique_ptr<AudioOutput>& output) const;

private:
    int noSoundIndex() const { return count() - 2; }
    int wavFileIndex() const { return count() - 1; }

    std::string configured_;
    std::vector<std::string> names_;
};
