#pragma once
// A parametric equaliser unit: one peaking biquad (the RBJ cookbook's) on both channels.
// The control thread sets its parameters and bypass at any time; the render step picks
// them up before its next block.

#include <atomic>
#include <cstddef>
#include <cstdint>

class ParamEqUnit {
public:
    enum Parameter {
        kCenter = 0,     // Hz, 20 to 22000 (and below half the sample rate)
        kBandwidth = 1,  // octaves, 0.2 to 5
        kGain = 2,       // linear factor at the centre, 0.05 to 3
    };

    explicit ParamEqUnit(int sampleRate) : sampleRate_(sampleRate) {}

    // Values outside a parameter's range are clamped to it.
    int setParameter(int parameter, float value);
    int setBypass(bool bypass);
    int getBypass(bool& bypass) const;

    // Render thread: filters interleaved stereo frames in place unless bypassed.
    void process(float* frames, size_t count);

private:
    void updateCoefficients();

    int sampleRate_;
    std::atomic<float> parameters_[3] = {8000.0f, 1.0f, 1.0f};
    std::atomic<uint32_t> version_{1};
    std::atomic<bool> bypass_{false};

    // Render thread only.
    uint32_t appliedVersion_ = 0;
    bool wasBypassed_ = true;
    double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
    double history_[2][4] = {};  // per channel: x1, x2, y1, y2
};
