#include "core/rounding.h"

#include <cmath>

namespace tintora {

double roundHalfEven(double v)
{
    // v - trunc(v) is exact for every finite double, so the tie test is too;
    // std::round, unlike std::nearbyint, does not depend on the rounding mode.
    if (std::fabs(v - std::trunc(v)) == 0.5) return 2.0 * std::round(v / 2.0);
    return std::round(v);
}

} // namespace tintora
