#pragma once

namespace tintora {

// v rounded to the nearest whole number, an exact half going to the even
// neighbour (2.5 -> 2, 3.5 -> 4), whatever the floating-point rounding mode.
double roundHalfEven(double v);

} // namespace tintora
