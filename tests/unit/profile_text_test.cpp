// The display profile's texts: the LUT window's line.

#include <gtest/gtest.h>

#include "probe/profile_text.h"

using namespace tintora;

namespace {

CalibrationCheck checked(CalibrationVerdict verdict, int difference = 0, int level = 0, int channel = 0)
{
    CalibrationCheck check;
    check.verdict = verdict;
    check.largestDifference = difference;
    check.level = level;
    check.channel = channel;
    return check;
}

} // namespace

TEST(ProfileText, statusLineForEachState)
{
    const Lab intended{53.24, 80.1, 67.2};
    const Lab seen{54.01, -0.04, 66.96};
    using Verdict = CalibrationVerdict;

    const struct {
        const char* name;
        ProfileFacts facts; // description, vcgt, check, intended, seen, ΔE00
        const char* text;
    } cases[] = {
        {"loaded", {"Office 27", true, checked(Verdict::Loaded), intended, intended, 0},
         "Profile \"Office 27\", calibration loaded, L* a* b* 53.2 80.1 67.2, seen 53.2 80.1 67.2, \xCE\x94" "E00 0.0"},
        {"lost", {"Office 27", true, checked(Verdict::Lost, 19251, 255, 0), intended, seen, 2.25},
         "Profile \"Office 27\", calibration lost: largest difference 19251 of 65535 at level 255 (red), L* a* b* 53.2 80.1 67.2, "
         "seen 54.0 0.0 67.0, \xCE\x94" "E00 2.2"},
        {"lost, seen beyond the calibration", {"Office 27", true, checked(Verdict::Lost, 300, 7, 2), intended, {}, 0},
         "Profile \"Office 27\", calibration lost: largest difference 300 of 65535 at level 7 (blue), L* a* b* 53.2 80.1 67.2, "
         "seen beyond the calibration's range"},
        {"no vcgt, straight ramp", {"sRGB", false, checked(Verdict::NoneStraightRamp, 256, 3, 0), intended, intended, 0},
         "Profile \"sRGB\", no calibration, L* a* b* 53.2 80.1 67.2, seen 53.2 80.1 67.2, \xCE\x94" "E00 0.0"},
        {"no vcgt, another ramp", {"sRGB", false, checked(Verdict::NoneRampNotStraight, 5000, 128, 1), intended, seen, 1.04},
         "Profile \"sRGB\", no calibration, ramp not straight: largest difference 5000 of 65535 at level 128 (green), "
         "L* a* b* 53.2 80.1 67.2, seen 54.0 0.0 67.0, \xCE\x94" "E00 1.0"},
        {"no ramp", {"Office 27", true, {}, intended, {}, 0},
         "Profile \"Office 27\", calibration not checked (no gamma ramp), L* a* b* 53.2 80.1 67.2"},
        {"no vcgt, no ramp", {"sRGB", false, {}, intended, {}, 0}, "Profile \"sRGB\", no calibration, L* a* b* 53.2 80.1 67.2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(profileStatusText(&c.facts, "."), c.text);
    }
    // The user's decimal separator; a description's control characters as spaces.
    const ProfileFacts comma{"Line\none\t\"two\"", true, checked(Verdict::Loaded), intended, seen, 0.97};
    EXPECT_EQ(profileStatusText(&comma, ","), "Profile \"Line one \"two\"\", calibration loaded, "
                                              "L* a* b* 53,2 80,1 67,2, seen 54,0 0,0 67,0, \xCE\x94" "E00 1,0");
    EXPECT_EQ(profileStatusText(nullptr, "."), "No display profile");
}

// A published profile that is not used says why, never that there is none.
TEST(ProfileText, statusLineOfARefusedProfile)
{
    const struct {
        const char* refusal;
        const char* text;
    } cases[] = {
        {"", "No display profile"},
        {"The display profile is larger than 4 MiB.", "Display profile not used: the display profile is larger than 4 MiB"},
        {"The display profile property is empty.", "Display profile not used: the display profile property is empty"},
        {"The display profile is not for RGB colours (its colour space is 'CMYK').",
         "Display profile not used: the display profile is not for RGB colours (its colour space is 'CMYK')"},
        {"Odd\nreason", "Display profile not used: odd reason"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.refusal);
        EXPECT_EQ(profileStatusText(nullptr, ".", c.refusal), c.text);
    }
    // Facts read from a profile are what a refusal of an earlier one cannot hide.
    const ProfileFacts facts{"sRGB", false, {}, {53.24, 80.1, 67.2}, {}, 0};
    EXPECT_EQ(profileStatusText(&facts, ".", ""), "Profile \"sRGB\", no calibration, L* a* b* 53.2 80.1 67.2");
}
