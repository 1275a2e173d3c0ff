#pragma once

#include <cstdint>
#include <string>

#include "core/rgb.h"

namespace tintora {

// Decimal number without sign or leading zeros.
std::string decimalText(unsigned value);

// Two upper-case hexadecimal digits ("0A", "FF").
std::string hex2(std::uint8_t level);

// Four upper-case hexadecimal digits ("0100", "FFFF").
std::string hex4(std::uint16_t entry);

// "RRGGBB" in upper-case hexadecimal: the "#" readout, the clipboard text and
// the colour dialog's hexadecimal field.
std::string hexColour(Rgb c);

// "red", "green" or "blue" for channel 0, 1 or 2.
const char* channelName(int channel);

} // namespace tintora
