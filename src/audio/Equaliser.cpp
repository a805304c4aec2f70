#include "audio/Equaliser.h"

#include "audio/sound/ParamEqUnit.h"
#include "audio/sound/SoundSystem.h"

Equaliser::Equaliser(SoundSystem& system) {
    for (Band& band : bands_) {
        system.createParamEq(band.unit);
        if (!band.unit) continue;
        system.addDSP(*band.unit);
        band.unit->setBypass(true);
    }
}

void Equaliser::setParameter(unsigned band, unsigned parameter, double value) {
    if (band >= kBands || parameter > 3 || !bands_[band].unit) return;
    Band& target = bands_[band];
    switch (parameter) {
        case 0:
            target.active = value;
            applyBypass(target);
            break;
        case 1: target.unit->setParameter(ParamEqUnit::kCenter, static_cast<float>(value)); break;
        case 2: target.unit->setParameter(ParamEqUnit::kBandwidth, static_cast<float>(value)); break;
        default:
            target.gain = value;
            applyBypass(target);
            target.unit->setParameter(ParamEqUnit::kGain, static_cast<float>(value));
            break;
    }
}

void Equaliser::applyBypass(Band& band) { band.unit->setBypass(!(band.active == 1.0 && band.gain != 1.0)); }

bool Equaliser::bypassed(unsigned band) const {
    bool bypass = true;
    if (band < kBands && bands_[band].unit) bands_[band].unit->getBypass(bypass);
    return bypass;
}
