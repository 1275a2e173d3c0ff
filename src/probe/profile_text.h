#pragma once

#include <string>
#include <string_view>

#include "probe/profile_reading.h"

namespace tintora {

// The line the LUT window shows under its status, and the "LUT:" caption's
// tooltip under the ramp's: without a profile "No display profile"; for a
// published one that is not used (refusal, ProfileReading::refusal) "Display
// profile not used: " and why, for example "Display profile not used: the
// display profile is larger than 4 MiB"; otherwise, for example,
//   Profile "Office 27", calibration loaded, L* a* b* 53.2 80.1 67.2, seen 53.2 80.1 67.2, ΔE00 0.0
//   Profile "Office 27", calibration lost: largest difference 19251 of 65535 at level 255 (red),
//     L* a* b* 54.3 81.0 69.4, seen beyond the calibration's range
//   Profile "sRGB", no calibration, L* a* b* ..., seen ..., ΔE00 ...
//   Profile "sRGB", no calibration, ramp not straight: largest difference 5000 of 65535 at level 128 (green),
//     L* a* b* ...
//   Profile "Office 27", calibration not checked (no gamma ramp), L* a* b* 54.3 81.0 69.4
// (one line, the numbers with decimalSeparator). Control characters of the
// description and the reason show as spaces. The calibration's words are
// those of its verdict (colourprofile/display_profile.h).
std::string profileStatusText(const ProfileFacts* facts, const std::string& decimalSeparator,
                              std::string_view refusal = {});

} // namespace tintora
