#pragma once

#include <string>

#include "probe/profile_reading.h"

namespace tintora {

// v with one decimal, the half tenth going to the even neighbour: "53.2",
// "-4.0", "0.0" (never "-0.0"), the separator given.
std::string oneDecimal(double v, const std::string& decimalSeparator = ".");

// Whether the loaded ramp is not the one the profile expects: its calibration
// lost, or, for a profile without one, a ramp that is not straight.
bool rampDiffersFromExpected(const CalibrationCheck& check);

// "red", "green" or "blue" for channel 0, 1 or 2.
const char* channelName(int channel);

// How quotedText writes a control character.
enum class Quoting {
    CString, // \xHH, DEL too, as a C string literal writes it
    Json,    // \u00HH
};

// text between double quotes, a quote and a backslash after a backslash,
// control characters as quoting says; other bytes, UTF-8 included, as they
// are.
std::string quotedText(const std::string& text, Quoting quoting = Quoting::CString);

// The line the LUT window shows under its status, and the "LUT:" caption's
// tooltip under the ramp's: without a profile "No display profile";
// otherwise, for example,
//   Profile "Office 27", calibration loaded, Lab 53.2 80.1 67.2, seen 53.2 80.1 67.2, ΔE00 0.0
//   Profile "Office 27", calibration lost: largest difference 19251 at level 255 (red),
//     Lab 54.3 81.0 69.4, seen beyond the calibration's range
//   Profile "sRGB", no calibration, Lab ..., seen ..., ΔE00 ...
//   Profile "Office 27", calibration not checked (no gamma ramp), Lab 54.3 81.0 69.4
// (one line, the numbers with decimalSeparator). Control characters of the
// description show as spaces.
std::string profileStatusText(const ProfileFacts* facts, const std::string& decimalSeparator);

// The status line of the latest facts, worked out again only when they
// change: a tick under a resting pointer costs one comparison.
class ProfileStatus {
public:
    // Takes the tick's facts (nullptr: no profile); true when the text changed.
    bool follow(const ProfileFacts* facts, const std::string& decimalSeparator);
    const std::string& text() const { return m_text; }

private:
    bool m_known = false;
    bool m_hadFacts = false;
    ProfileFacts m_last;
    std::string m_separator;
    std::string m_text;
};

} // namespace tintora
