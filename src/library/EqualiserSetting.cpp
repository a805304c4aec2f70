#include "library/EqualiserSetting.h"

#include <cstdlib>
#include <string>

#include "text/Decimal.h"
#include "text/TextSearch.h"

namespace {

int parameterOf(std::string_view name) {
    if (wildcardMatch("*_CENTER", name)) return 1;
    if (wildcardMatch("*_BANDWIDTH", name)) return 2;
    if (wildcardMatch("*_GAIN", name)) return 3;
    return -1;
}

}  // namespace

bool applyEqualiserSetting(std::string_view name, std::string_view value, const EqualiserHook& hook) {
    if (!wildcardMatch("EQ_*", name)) return false;
    if (!hook) return true;
    const double number = std::atof(std::string(value).c_str());
    if (name == "EQ_ACTIVE") {
        for (unsigned band = 0; band < 3; ++band) hook(band, 0, number);
    }
    const int parameter = parameterOf(name);
    if (parameter > 0) hook(static_cast<unsigned>(decimalValue(name.substr(3))), parameter, number);
    return true;
}
