#include "core/rounding.h"

#include <cmath>

namespace tintora {

double roundHalfEven(double v)
{
    if (!std::isfinite(v)) return v;
    // v - trunc(v) is exact for every finite double, and so is one step away
    // from a whole number that still has a fraction: nothing here depends on
    // the rounding mode. (std::round is not used: MinGW's takes the largest
    // double below 0.5 up to 1.)
    const double whole = std::trunc(v);
    const double fraction = std::fabs(v - whole);
    const double away = v < 0 ? whole - 1.0 : whole + 1.0;
    if (fraction < 0.5) return whole;
    if (fraction > 0.5) return away;
    return std::fmod(whole, 2.0) == 0.0 ? whole : away;
}

} // namespace tintora
