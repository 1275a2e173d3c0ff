#pragma once

#include <array>
#include <optional>
#include <string>

#include "platform/screen.h"

namespace tintora {

// Whether the ramp is the straight line a display has when no correction is
// loaded: every entry within kCalibrationTolerance (one 8-bit step, 256 of
// 65535) of level * 257, the same room a profile's calibration check gives.
// The straight ramps drivers load differ from level * 257 only by their
// rounding (level * 256, say); any correction a user would load differs by
// more somewhere.
bool isIdentityRamp(const GammaTable& ramp);

// How many distinct 8-bit output levels each channel's 256 entries give
// (entry * 255 / 65535, rounded), red, green, blue: 256 for a straight line,
// fewer where inputs merge, which shows as bands in gradients on an 8-bit
// link.
std::array<int, 3> distinctLevels(const GammaTable& ramp);

// The one-line status of a reading: "HDMI-1, 256 entries, identity", or
// "HDMI-1, 1024 entries, distinct levels R 256 G 241 B 220"; nothing (no ramp
// could be read) gives "No gamma ramp".
std::string rampStatusText(const std::optional<RampReading>& reading);

} // namespace tintora
