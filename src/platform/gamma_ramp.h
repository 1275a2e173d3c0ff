#pragma once

#include <cstdint>

#include "platform/gamma_ramps.h"

namespace tintora {

// Resamples a ramp of n entries per channel to the 256 entries a GammaTable
// holds: level L reads entry round(L * (n - 1) / 255), the place an 8-bit
// level lands in a wider or narrower table. n must be >= 2. For backends
// whose adapters report ramps of other sizes.
void resampleRamp(const std::uint16_t* red, const std::uint16_t* green, const std::uint16_t* blue, int n,
                  GammaTable& out);

} // namespace tintora
