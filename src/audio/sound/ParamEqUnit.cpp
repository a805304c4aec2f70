#include "audio/sound/ParamEqUnit.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "audio/sound/SoundResult.h"

namespace {

struct Range {
    float low;
    float high;
};
constexpr Range kRanges[3] = {{20.0f, 22000.0f}, {0.2f, 5.0f}, {0.05f, 3.0f}};

bool validParameter(int parameter) { return parameter >= 0 && parameter < 3; }

}  // namespace

int ParamEqUnit::setParameter(int parameter, float value) {
    if (!validParameter(parameter) || std::isnan(value)) return kSoundErrInvalidParam;
    const Range range = kRanges[parameter];
    parameters_[parameter] = std::clamp(value, range.low, range.high);
    ++version_;
    return kSoundOk;
}

int ParamEqUnit::setBypass(bool bypass) {
    bypass_ = bypass;
    return kSoundOk;
}

int ParamEqUnit::getBypass(bool& bypass) const {
    bypass = bypass_;
    return kSoundOk;
}

void ParamEqUnit::updateCoefficients() {
    const double nyquistGuard = 0.45 * sampleRate_;
    const double center = std::min<double>(parameters_[kCenter], nyquistGuard);
    const double bandwidth = parameters_[kBandwidth];
    const double amplitude = std::sqrt(static_cast<double>(parameters_[kGain]));
    const double w0 = 2.0 * std::numbers::pi * center / sampleRate_;
    const double alpha = std::sin(w0) * std::sinh(std::numbers::ln2 / 2.0 * bandwidth * w0 / std::sin(w0));
    const double a0 = 1.0 + alpha / amplitude;
    b0_ = (1.0 + alpha * amplitude) / a0;
    b1_ = -2.0 * std::cos(w0) / a0;
    b2_ = (1.0 - alpha * amplitude) / a0;
    a1_ = b1_;
    a2_ = (1.0 - alpha / amplitude) / a0;
}

void ParamEqUnit::process(float* frames, size_t count) {
    if (bypass_) {
        wasBypassed_ = true;
        return;
    }
    const uint32_t version = version_;
    if (version != appliedVersion_) {
        appliedVersion_ = version;
        updateCoefficients();
    }
    if (wasBypassed_) {
        // Stale history from before the bypass would click.
        std::fill(&history_[0][0], &history_[0][0] + 8, 0.0);
        wasBypassed_ = false;
    }
    // Locals the compiler can keep in registers: the member history would be reloaded for
    // every sample, as it might share memory with the frames.
    const double b0 = b0_, b1 = b1_, b2 = b2_, a1 = a1_, a2 = a2_;
    for (int channel = 0; channel < 2; ++channel) {
        double x1 = history_[channel][0], x2 = history_[channel][1];
        double y1 = history_[channel][2], y2 = history_[channel][3];
        for (size_t i = 0; i < count; ++i) {
            float& sample = frames[i * 2 + static_cast<size_t>(channel)];
            const double x = sample;
            double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
            if (std::abs(y) < 1e-30) y = 0.0;  // denormals would slow the tail of silence
            x2 = x1;
            x1 = x;
            y2 = y1;
            y1 = y;
            sample = static_cast<float>(y);
        }
        history_[channel][0] = x1;
        history_[channel][1] = x2;
        history_[channel][2] = y1;
        history_[channel][3] = y2;
    }
}
