#pragma once

#include <cstdint>
#include <string>

#include "core/colour_text.h"
#include "core/program_state.h"

namespace tintora {

// Level as a fraction of 255: one digit, the separator, three digits, rounded
// half up to two significant digits but no more than three decimals.
std::string fractionText(std::uint8_t level, const std::string& decimalSeparator);

enum class ReadoutFormat { Plain, Hexadecimal, Fraction };

// Hexadecimal wins when both flags are set.
constexpr ReadoutFormat readoutFormat(bool hexadecimal, bool fractions)
{
    return hexadecimal ? ReadoutFormat::Hexadecimal : fractions ? ReadoutFormat::Fraction : ReadoutFormat::Plain;
}

// The texts of the eight readout controls for one sample.
struct ReadoutTexts {
    std::string bitmap[3]; // red, green, blue levels as drawn
    std::string lut[3];    // the same through the ramp, each with its raw entry
    std::string hash;      // "#RRGGBB" of the LUT colour
};

ReadoutTexts readoutTexts(const ProgramState& state, const std::string& decimalSeparator);

} // namespace tintora
