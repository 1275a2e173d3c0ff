// The display profile's texts: the numbers, the quoting and the LUT window's line.

#include <gtest/gtest.h>

#include "probe/profile_text.h"

using namespace tintora;

namespace {

CalibrationCheck checked(CalibrationCheck::State state, int difference = 0, int level = 0, int channel = 0)
{
    CalibrationCheck check;
    check.state = state;
    check.largestDifference = difference;
    check.level = level;
    check.channel = channel;
    return check;
}

} // namespace

TEST(ProfileText, oneDecimalRoundsHalfToEvenAndHasNoNegativeZero)
{
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {53.21, "53.2"}, {0.25, "0.2"}, {0.75, "0.8"}, {-0.04, "0.0"}, {-0.06, "-0.1"},
        {-12.5, "-12.5"}, {100, "100.0"}, {99.96, "100.0"}, {-127.999, "-128.0"},
    };
    for (const auto& c : cases) EXPECT_EQ(oneDecimal(c.value), c.text) << c.value;
    EXPECT_EQ(oneDecimal(-3.25, ","), "-3,2");
}

TEST(ProfileText, quotedTextEscapesQuotesBackslashesAndControls)
{
    EXPECT_EQ(quotedText("Office 27"), "\"Office 27\"");
    EXPECT_EQ(quotedText("a\"b\\c\x01\n\x7F" "d"), R"("a\"b\\c\x01\x0a\x7fd")");
    EXPECT_EQ(quotedText("\xC3\xA9" "cran"), "\"\xC3\xA9" "cran\"") << "UTF-8 stays as it is";
    EXPECT_EQ(quotedText(""), "\"\"");
}

TEST(ProfileText, statusLineForEachState)
{
    ProfileFacts facts;
    facts.description = "Office 27";
    facts.hasCalibration = true;
    facts.intended = {53.24, 80.1, 67.2};
    const Lab seen{54.01, -0.04, 66.96};

    const struct {
        const char* name;
        bool hasCalibration;
        std::optional<CalibrationCheck> check;
        std::optional<Lab> seen;
        double deltaE;
        const char* text;
    } cases[] = {
        {"loaded", true, checked(CalibrationCheck::State::Loaded), facts.intended, 0,
         "Profile \"Office 27\", calibration loaded, Lab 53.2 80.1 67.2, seen 53.2 80.1 67.2, \xCE\x94" "E00 0.0"},
        {"lost", true, checked(CalibrationCheck::State::Lost, 19251, 255, 0), seen, 2.25,
         "Profile \"Office 27\", calibration lost: largest difference 19251 at level 255 (red), Lab 53.2 80.1 67.2, "
         "seen 54.0 0.0 67.0, \xCE\x94" "E00 2.2"},
        {"lost, seen beyond the calibration", true, checked(CalibrationCheck::State::Lost, 300, 7, 2), std::nullopt, 0,
         "Profile \"Office 27\", calibration lost: largest difference 300 at level 7 (blue), Lab 53.2 80.1 67.2, "
         "seen beyond the calibration's range"},
        {"no vcgt, straight ramp", false, checked(CalibrationCheck::State::None, 256, 3, 0), facts.intended, 0,
         "Profile \"Office 27\", no calibration, Lab 53.2 80.1 67.2, seen 53.2 80.1 67.2, \xCE\x94" "E00 0.0"},
        {"no vcgt, another ramp", false, checked(CalibrationCheck::State::None, 5000, 128, 1), seen, 1.04,
         "Profile \"Office 27\", no calibration, ramp not straight: largest difference 5000 at level 128 (green), "
         "Lab 53.2 80.1 67.2, seen 54.0 0.0 67.0, \xCE\x94" "E00 1.0"},
        {"no ramp", true, std::nullopt, std::nullopt, 0,
         "Profile \"Office 27\", calibration not checked (no gamma ramp), Lab 53.2 80.1 67.2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        facts.hasCalibration = c.hasCalibration;
        facts.check = c.check;
        facts.seen = c.seen;
        facts.deltaE = c.deltaE;
        EXPECT_EQ(profileStatusText(&facts, "."), c.text);
    }
    EXPECT_EQ(profileStatusText(nullptr, "."), "No display profile");

    // The user's decimal separator; a description's control characters as spaces.
    facts.description = "Line\none\t\"two\"";
    facts.check = checked(CalibrationCheck::State::Loaded);
    facts.hasCalibration = true;
    facts.seen = seen;
    facts.deltaE = 0.97;
    EXPECT_EQ(profileStatusText(&facts, ","), "Profile \"Line one \"two\"\", calibration loaded, Lab 53,2 80,1 67,2, "
                                              "seen 54,0 0,0 67,0, \xCE\x94" "E00 1,0");
}

TEST(ProfileText, statusIsWorkedOutAgainOnlyWhenTheFactsChange)
{
    ProfileFacts facts;
    facts.description = "Office 27";
    facts.hasCalibration = true;
    ProfileStatus status;
    EXPECT_TRUE(status.follow(nullptr, "."));
    EXPECT_EQ(status.text(), "No display profile");
    EXPECT_FALSE(status.follow(nullptr, "."));
    EXPECT_TRUE(status.follow(&facts, "."));
    EXPECT_FALSE(status.follow(&facts, "."));
    facts.intended.a = 0.01; // a change the text does not show
    EXPECT_FALSE(status.follow(&facts, "."));
    facts.intended.a = 0.5;
    EXPECT_TRUE(status.follow(&facts, "."));
    EXPECT_EQ(status.text(), "Profile \"Office 27\", calibration not checked (no gamma ramp), Lab 0.0 0.5 0.0");
    EXPECT_TRUE(status.follow(&facts, ","));
    EXPECT_EQ(status.text(), "Profile \"Office 27\", calibration not checked (no gamma ramp), Lab 0,0 0,5 0,0");
    EXPECT_TRUE(status.follow(nullptr, ","));
}
