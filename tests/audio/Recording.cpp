#include "Recording.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "support/TempFolder.h"

namespace {

uint32_t get(const std::string& in, size_t at, int bytes) {
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(in[at + static_cast<size_t>(i)]);
    return value;
}

std::pair<size_t, size_t> range(const Recording& recording, double from, double to) {
    const auto first = static_cast<size_t>(std::max(0.0, from) * recording.rate);
    const auto last = std::min(recording.samples.size(), static_cast<size_t>(to * recording.rate));
    return {first, std::max(first, last)};
}

}  // namespace

Recording readWav(const std::string& path) {
    const std::string bytes = TempFolder::read(path);
    Recording recording;
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0) return recording;
    uint32_t format = 0, channels = 0, bits = 0;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const std::string id = bytes.substr(at, 4);
        const size_t size = std::min<size_t>(get(bytes, at + 4, 4), bytes.size() - at - 8);
        if (id == "fmt ") {
            format = get(bytes, at + 8, 2);
            channels = get(bytes, at + 10, 2);
            recording.rate = static_cast<int>(get(bytes, at + 12, 4));
            bits = get(bytes, at + 22, 2);
        } else if (id == "data" && channels > 0) {
            const size_t frameBytes = channels * bits / 8;
            for (size_t frame = at + 8; frame + frameBytes <= at + 8 + size; frame += frameBytes) {
                if (format == 3) {
                    float value;
                    std::memcpy(&value, bytes.data() + frame, sizeof value);
                    recording.samples.push_back(value);
                } else {
                    recording.samples.push_back(static_cast<int16_t>(get(bytes, frame, 2)) / 32768.0f);
                }
            }
        }
        at += 8 + size + (size & 1);
    }
    return recording;
}

double frequencyOf(const Recording& recording, double from, double to) {
    const auto [first, last] = range(recording, from, to);
    double firstCrossing = -1.0, lastCrossing = -1.0;
    int crossings = 0;
    for (size_t i = first + 1; i < last; ++i) {
        const float before = recording.samples[i - 1], after = recording.samples[i];
        if (before >= 0.0f || after < 0.0f) continue;
        const double at = static_cast<double>(i - 1) + before / (before - after);
        if (firstCrossing < 0.0) firstCrossing = at;
        lastCrossing = at;
        ++crossings;
    }
    if (crossings < 2) return 0.0;
    return (crossings - 1) * recording.rate / (lastCrossing - firstCrossing);
}

double levelOf(const Recording& recording, double from, double to) {
    const auto [first, last] = range(recording, from, to);
    double sum = 0.0;
    for (size_t i = first; i < last; ++i) sum += static_cast<double>(recording.samples[i]) * recording.samples[i];
    return last > first ? std::sqrt(sum / static_cast<double>(last - first)) : 0.0;
}
