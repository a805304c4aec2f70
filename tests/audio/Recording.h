#pragma once
// What the player recorded to a WAV file, and the measurements the audio tests take on it.

#include <string>
#include <vector>

// One channel of a WAV file as floats in -1..1.
struct Recording {
    int rate = 0;
    std::vector<float> samples;

    double seconds() const { return rate > 0 ? static_cast<double>(samples.size()) / rate : 0.0; }
};

// The left channel of a 16-bit PCM or 32-bit float WAV file; empty when unreadable.
Recording readWav(const std::string& path);

// Frequency of a steady tone between two times, from its rising zero crossings.
double frequencyOf(const Recording& recording, double from, double to);
// Root-mean-square level between two times.
double levelOf(const Recording& recording, double from, double to);
