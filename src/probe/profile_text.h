#pragma once

#include <string>

#include "probe/profile_reading.h"

namespace tintora {

// The line the LUT window shows under its status, and the "LUT:" caption's
// tooltip under the ramp's: without a profile "No display profile";
// otherwise, for example,
//   Profile "Office 27", calibration loaded, Lab 53.2 80.1 67.2, seen 53.2 80.1 67.2, ΔE00 0.0
//   Profile "Office 27", calibration lost: largest difference 19251 at level 255 (red),
//     Lab 54.3 81.0 69.4, seen beyond the calibration's range
//   Profile "sRGB", no calibration, Lab ..., seen ..., ΔE00 ...
//   Profile "sRGB", no calibration, ramp not straight: largest difference 5000 at level 128 (green), Lab ...
//   Profile "Office 27", calibration not checked (no gamma ramp), Lab 54.3 81.0 69.4
// (one line, the numbers with decimalSeparator). Control characters of the
// description show as spaces. The calibration's words are those of its
// verdict (colourprofile/display_profile.h).
std::string profileStatusText(const ProfileFacts* facts, const std::string& decimalSeparator);

} // namespace tintora
