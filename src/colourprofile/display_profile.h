#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "core/colour_types.h"
#include "core/rgb.h"

namespace tintora {

// A colour in CIE L*a*b* (D50).
struct Lab {
    double L = 0;
    double a = 0;
    double b = 0;
    friend bool operator==(const Lab&, const Lab&) = default;
};

// The CIEDE2000 difference of two colours (weights kL = kC = kH = 1).
double deltaE2000(const Lab& one, const Lab& other);

// The largest difference of an entry from the expected one that still counts
// as the calibration loaded (or, for a profile without one, as the straight
// ramp): one 8-bit step, room for loaders that truncate, resample the
// calibration to other ramp sizes or round it differently.
inline constexpr int kCalibrationTolerance = 256;

// What the ramp loaded in the adapter says of a display profile's calibration:
// the one verdict every text about it (the status line, the probe's words)
// puts into words.
enum class CalibrationVerdict {
    Loaded,              // the profile has a calibration (vcgt) and the ramp is it
    Lost,                // the profile has a calibration and the ramp is not it
    NoneStraightRamp,    // the profile has none, and the ramp is straight, as it expects
    NoneRampNotStraight, // the profile has none, and the ramp is not straight
    Unknown,             // no ramp could be read to check
};

// Whether the verdict is that the loaded ramp is not the one the profile
// expects, so the largest difference is worth telling.
constexpr bool rampDiffersFromExpected(CalibrationVerdict verdict)
{
    return verdict == CalibrationVerdict::Lost || verdict == CalibrationVerdict::NoneRampNotStraight;
}

// The loaded ramp against the one a profile expects.
struct CalibrationCheck {
    CalibrationVerdict verdict = CalibrationVerdict::Unknown;
    // The largest difference between a loaded and an expected entry, in ramp
    // units (0-65535), and where it is: of equal largest differences the
    // first in the ramp's order (red before green before blue, then the
    // lowest level). Filled in whenever a ramp was checked, against the
    // straight ramp for a profile without a calibration, so a caller can say
    // how far a ramp is from what the profile expects.
    int largestDifference = 0;
    int level = 0;   // 0-255
    int channel = 0; // 0 red, 1 green, 2 blue
    friend bool operator==(const CalibrationCheck&, const CalibrationCheck&) = default;
};

// The description of a profile that has none.
inline constexpr const char* kNoProfileDescription = "(no description)";

// A display profile, read once from the bytes the system publishes: its
// description, the calibration it expects (vcgt, resampled to 256 levels) and
// the transform to Lab (relative colorimetric, D50), built once.
//
// check, intendedLab and seenLab allocate nothing: they run on every probe
// tick.
class DisplayProfile {
public:
    // The profile in bytes, or nothing with why not in whyNot, one English
    // sentence for the standard error (too large, truncated, not a profile,
    // not an RGB display profile, no usable transform or calibration, a
    // transform that gives infinities for 8-bit levels).
    // Profiles of the display, colour space and input classes in RGB are
    // read; device links, abstract, named colour and output profiles are not.
    static std::unique_ptr<DisplayProfile> read(std::span<const std::uint8_t> bytes, std::string& whyNot);
    ~DisplayProfile();

    // The profile's description (English where it has several), blanks
    // trimmed, in UTF-8; kNoProfileDescription when it has none.
    const std::string& description() const;
    bool hasCalibration() const;
    // The ramp the profile expects: each channel's vcgt curve sampled at
    // level / 255, times 65535, rounded half away from zero; without a vcgt
    // the straight ramp (level * 257).
    const GammaTable& expectedRamp() const;
    // The loaded ramp (256 entries per channel, as platform/gamma_ramp.h
    // resamples it) against the expected one: any verdict but Unknown.
    CalibrationCheck check(const GammaTable& loaded) const;
    // The Bitmap colour through the profile: each level / 255 is the device
    // value.
    Lab intendedLab(Rgb bitmap) const;
    // What the screen shows for the Bitmap colour: the loaded ramp's entries taken
    // back through the inverse of the calibration to device values, then through
    // the profile. An entry within one ramp unit of the expected one (what a
    // loader that truncates gives) is the level itself, so with the calibration
    // loaded the seen colour is the intended one. Without a vcgt the device value
    // is the entry itself. Where several device values give an entry, the middle
    // of a flat step of the calibration, or on a calibration that turns, the
    // stretch nearest the level. Nothing when an entry lies beyond what the
    // calibration can give (no device value under it gives that output; it is
    // never clamped), or when the profile gives no number for the device values.
    std::optional<Lab> seenLab(Rgb bitmap, const GammaTable& loaded) const;

private:
    DisplayProfile();
    struct Parts;
    std::unique_ptr<Parts> m_parts;
};

} // namespace tintora
