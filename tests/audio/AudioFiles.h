#pragma once
// Real audio for the audio tests: WAV files written here, other formats made with the
// ffmpeg command-line tool, and the measurements taken on what the player recorded.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// One channel of a WAV file as floats in -1..1.
struct Recording {
    int rate = 0;
    std::vector<float> samples;

    double seconds() const { return rate > 0 ? static_cast<double>(samples.size()) / rate : 0.0; }
};

// 16-bit stereo PCM; `sample` gives the value (-1..1) of a frame at a time in seconds.
void writeWav(const std::string& path, int rate, double seconds, const std::function<float(double)>& sample);
void writeTone(const std::string& path, double hertz, double seconds, float amplitude = 0.5f);
// Runs "ffmpeg -v error -y" with the arguments; true when it succeeded.
bool runFfmpeg(const std::string& arguments);
// The left channel of a 16-bit PCM or 32-bit float WAV file; empty when unreadable.
Recording readWav(const std::string& path);

// Frequency of a steady tone between two times, from its rising zero crossings.
double frequencyOf(const Recording& recording, double from, double to);
// Root-mean-square level between two times.
double levelOf(const Recording& recording, double from, double to);
