#include "core/settings/settings_coding.h"

#include "core/common/numbers.h"
#include "core/common/units.h"

namespace orv {

std::string CylinderCountText(int code) {
    static const char* counts[] = {"1", "2", "4", "5", "6", "8"};
    return (code >= 0 && code <= 5) ? counts[code] : "1";
}

std::string TenthsText(int b) { return Format(b / 10.0, "#0.0"); }

std::string WaterSwitchText(int b) { return Str(b * 5L - kTemperatureOffset); }

}  // namespace orv
