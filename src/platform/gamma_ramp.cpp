#include "platform/gamma_ramp.h"

namespace tintora {

void resampleRamp(const std::uint16_t* red, const std::uint16_t* green, const std::uint16_t* blue,
                  int n, GammaTable& out)
{
    const std::uint16_t* tables[3] = {red, green, blue};
    const long long span = n - 1;
    for (int c = 0; c < 3; ++c) {
        for (long long level = 0; level < 256; ++level) {
            // Nearest index. L * (n - 1) / 255 has a fraction of k / 255,
            // never exactly one half, so there is no tie to break.
            const long long index = (level * span * 2 + 255) / (255 * 2);
            out[static_cast<std::size_t>(c * 256 + level)] = tables[c][index];
        }
    }
}

} // namespace tintora
