#include "probe/profile_text.h"

#include "core/colour_text.h"
#include "core/number_text.h"
#include "core/quoted_text.h"

namespace tintora {

namespace {

std::string labText(const Lab& lab, const std::string& separator)
{
    return oneDecimal(lab.L, separator) + " " + oneDecimal(lab.a, separator) + " " + oneDecimal(lab.b, separator);
}

std::string differenceText(const CalibrationCheck& check)
{
    return "largest difference " + std::to_string(check.largestDifference) + " at level " +
           std::to_string(check.level) + " (" + channelName(check.channel) + ")";
}

std::string calibrationText(const ProfileFacts& facts)
{
    const CalibrationCheck& check = facts.check;
    switch (check.verdict) {
    case CalibrationVerdict::Loaded: return "calibration loaded";
    case CalibrationVerdict::Lost: return "calibration lost: " + differenceText(check);
    case CalibrationVerdict::NoneStraightRamp: return "no calibration";
    case CalibrationVerdict::NoneRampNotStraight: return "no calibration, ramp not straight: " + differenceText(check);
    case CalibrationVerdict::Unknown: break;
    }
    return facts.hasCalibration ? "calibration not checked (no gamma ramp)" : "no calibration";
}

} // namespace

std::string profileStatusText(const ProfileFacts* facts, const std::string& decimalSeparator)
{
    if (!facts) return "No display profile";
    std::string description = facts->description;
    for (char& ch : description)
        if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F) ch = ' ';
    std::string text = "Profile \"" + description + "\", " + calibrationText(*facts) + ", Lab " +
                       labText(facts->intended, decimalSeparator);
    if (facts->check.verdict == CalibrationVerdict::Unknown) return text;
    if (!facts->seen) return text + ", seen beyond the calibration's range";
    return text + ", seen " + labText(*facts->seen, decimalSeparator) + ", \xCE\x94" "E00 " +
           oneDecimal(facts->deltaE, decimalSeparator);
}

} // namespace tintora
