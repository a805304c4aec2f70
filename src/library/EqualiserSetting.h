#pragma once
// How a stored setting reaches the equaliser: EQ_ACTIVE switches all three bands, the
// EQ_<band>_CENTER, _BANDWIDTH and _GAIN names set one parameter of one band.

#include <functional>
#include <string_view>

// The audio engine's setEqParameter: parameter 0 on/off, 1 centre, 2 bandwidth, 3 gain.
using EqualiserHook = std::function<void(unsigned band, unsigned parameter, double value)>;

// Calls the hook (when set) for the setting; true when the name is an equaliser name
// ("EQ_*" in any case), whose change moves EQ_REVISION.
bool applyEqualiserSetting(std::string_view name, std::string_view value, const EqualiserHook& hook);
