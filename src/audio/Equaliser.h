#pragma once
// The three-band equaliser: one parametric unit per band in the sound system's chain. A
// band is processed exactly while its last on/off value is 1.0 and its last gain is not
// 1.0; centre and width changes never touch the bypass. Under the application lock.

#include <array>

class ParamEqUnit;
class SoundSystem;

class Equaliser {
public:
    static constexpr unsigned kBands = 3;

    // Creates the units, adds them to the chain and bypasses them.
    explicit Equaliser(SoundSystem& system);

    // Parameter 0 on/off, 1 centre (Hz), 2 width (octaves), 3 linear gain; a band above 2
    // or a parameter above 3 is ignored.
    void setParameter(unsigned band, unsigned parameter, double value);
    bool bypassed(unsigned band) const;

private:
    struct Band {
        ParamEqUnit* unit = nullptr;  // owned by the sound system
        double gain = 1.0;
        double active = 0.0;
    };
    void applyBypass(Band& band);

    std::array<Band, kBands> bands_;
};
