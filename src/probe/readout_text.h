#pragma once

#include <cstdint>
#include <string>

#include "shell/program_state.h"

namespace tintora {

// Decimal number without sign or leading zeros.
std::string decimalText(unsigned value);
// Two upper-case hexadecimal digits ("0A", "FF").
std::string hex2(std::uint8_t level);
// Four upper-case hexadecimal digits ("0100", "FFFF").
std::string hex4(std::uint16_t entry);
// Level as a fraction of 255: one digit, the separator, three digits, rounded
// half up to two significant digits but no more than three decimals.
std::string FractionText(std::uint8_t level, const std::string& decimalSeparator);
// "RRGGBB" in upper-case hexadecimal: the "#" label and the clipboard text.
std::string hexColour(Rgb c);

enum class ReadoutFormat { Plain, Hexadecimal, Fraction };

// Hexadecimal wins when both flags are set.
constexpr ReadoutFormat readoutFormat(bool hexMode, bool decMode)
{
    return hexMode ? ReadoutFormat::Hexadecimal : decMode ? ReadoutFormat::Fraction : ReadoutFormat::Plain;
}

// The texts of the eight readout controls for one sample.
struct ReadoutTexts {
    std::string bitmap[3]; // sLabel1..3
    std::string lut[3];    // sLabel7..9
    std::string hash;      // sLabel12
};

ReadoutTexts readoutTexts(const ProgramState& state, const std::string& decimalSeparator);

} // namespace tintora
