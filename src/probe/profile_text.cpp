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
    return "largest difference " + std::to_string(check.largestDifference) + " of 65535 at level " +
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

// text with its control characters as spaces, for a line of one line.
std::string withoutControls(std::string text)
{
    for (char& ch : text)
        if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F) ch = ' ';
    return text;
}

// "Display profile not used: " and the sentence why, its first letter small
// and its full stop left out to fit in after the colon.
std::string refusalText(std::string_view refusal)
{
    std::string why = withoutControls(std::string(refusal));
    if (!why.empty() && why.back() == '.') why.pop_back();
    if (!why.empty() && why[0] >= 'A' && why[0] <= 'Z') why[0] = static_cast<char>(why[0] - 'A' + 'a');
    return "Display profile not used: " + why;
}

} // namespace

std::string profileStatusText(const ProfileFacts* facts, const std::string& decimalSeparator, std::string_view refusal)
{
    if (!facts) return refusal.empty() ? "No display profile" : refusalText(refusal);
    std::string text = "Profile \"" + withoutControls(facts->description) + "\", " + calibrationText(*facts) +
                       ", L* a* b* " +
                       labText(facts->intended, decimalSeparator);
    if (facts->check.verdict == CalibrationVerdict::Unknown) return text;
    if (!facts->seen) return text + ", seen beyond the calibration's range";
    return text + ", seen " + labText(*facts->seen, decimalSeparator) + ", \xCE\x94" "E00 " +
           oneDecimal(facts->deltaE, decimalSeparator);
}

} // namespace tintora
