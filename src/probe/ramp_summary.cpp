#include "probe/ramp_summary.h"

#include <bitset>

#include "colourprofile/display_profile.h"

namespace tintora {

bool isIdentityRamp(const GammaTable& ramp)
{
    for (int c = 0; c < 3; ++c)
        for (int level = 0; level < 256; ++level) {
            const int entry = ramp[static_cast<std::size_t>(c * 256 + level)];
            const int straight = level * 257;
            if (entry - straight > kCalibrationTolerance || straight - entry > kCalibrationTolerance) return false;
        }
    return true;
}

std::array<int, 3> distinctLevels(const GammaTable& ramp)
{
    std::array<int, 3> counts{};
    for (int c = 0; c < 3; ++c) {
        std::bitset<256> seen;
        for (int level = 0; level < 256; ++level) {
            const unsigned entry = ramp[static_cast<std::size_t>(c * 256 + level)];
            seen.set((entry * 255u + 32767u) / 65535u);
        }
        counts[static_cast<std::size_t>(c)] = static_cast<int>(seen.count());
    }
    return counts;
}

std::string rampStatusText(const std::optional<RampReading>& reading)
{
    if (!reading) return "No gamma ramp";
    std::string text = (reading->output.empty() ? std::string("Unnamed output") : reading->output) + ", " +
                       std::to_string(reading->size) + " entries, ";
    if (isIdentityRamp(reading->ramp)) return text + "identity";
    const std::array<int, 3> n = distinctLevels(reading->ramp);
    return text + "distinct levels R " + std::to_string(n[0]) + " G " + std::to_string(n[1]) + " B " +
           std::to_string(n[2]);
}

} // namespace tintora
