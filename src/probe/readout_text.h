#pragma once

#include <cstdint>
#include <string>

#include "core/colour_text.h"
#include "probe/sampler.h"

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

// What a readout shows for a level the sample does not have (no pixel, or no
// ramp to map it through), and the "#" label without a LUT colour: the texts
// the window shows before its first sample.
inline constexpr const char* kMissingLevelText = "?";
inline constexpr const char* kMissingHashText = "#";

// The texts of the eight readout controls for one sample.
struct ReadoutTexts {
    std::string bitmap[3]; // red, green, blue levels as drawn
    std::string lut[3];    // the same through the ramp, each with its raw entry
    std::string hash;      // "#RRGGBB" of the LUT colour
};

// Without a pixel every text is missing; without a ramp the LUT's and the hash.
ReadoutTexts readoutTexts(const Sample& sample, ReadoutFormat format, const std::string& decimalSeparator);

} // namespace tintora
