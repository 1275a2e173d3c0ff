#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "core/rgb.h"
#include "platform/screen.h"

namespace tintora {

// A colour in CIE L*a*b* (D50).
struct Lab {
    double L = 0;
    double a = 0;
    double b = 0;
};

// The CIEDE2000 difference of two colours.
double deltaE2000(const Lab& one, const Lab& other);

// Whether the ramp loaded in the adapter is the calibration a profile expects.
struct CalibrationCheck {
    enum class State {
        None,   // the profile has no calibration (vcgt): it expects the straight ramp, which is checked as below
        Loaded, // every entry lies within one 8-bit step (256) of the expected value
        Lost,   // some entry does not: the largest difference and where it is
    };
    State state = State::None;
    bool expectsStraightRamp = true; // true when the profile has no vcgt
    int largestDifference = 0;       // in ramp units (0-65535)
    int level = 0;                   // 0-255, where the largest difference is
    int channel = 0;                 // 0 red, 1 green, 2 blue
};

// A display profile, read once from the bytes the system publishes: its
// description, the calibration it expects (vcgt, resampled to 256 levels) and
// the transform to Lab (relative colorimetric), built once.
class DisplayProfile {
public:
    // The profile in bytes, or nothing with why not in whyNot (too large,
    // truncated, not a profile, not an RGB display profile).
    static std::unique_ptr<DisplayProfile> read(std::span<const std::uint8_t> bytes, std::string& whyNot);
    ~DisplayProfile();

    const std::string& description() const;
    bool hasCalibration() const;
    // The ramp the profile expects: its vcgt at 256 levels, or the straight ramp.
    const GammaTable& expectedRamp() const;
    // The loaded ramp against the expected one.
    CalibrationCheck check(const GammaTable& loaded) const;
    // The Bitmap colour through the profile.
    Lab intendedLab(Rgb bitmap) const;
    // What the screen shows for the Bitmap colour: the loaded ramp's entries
    // taken back through the inverse of the calibration to device values, then
    // through the profile. Nothing when an entry lies beyond what the
    // calibration can give (no device value under it gives that output).
    std::optional<Lab> seenLab(Rgb bitmap, const GammaTable& loaded) const;

private:
    DisplayProfile();
    struct Parts;
    std::unique_ptr<Parts> m_parts;
};

} // namespace tintora
