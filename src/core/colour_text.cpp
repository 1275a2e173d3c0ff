#include "core/colour_text.h"

namespace tintora {

namespace {

constexpr char HexDigits[] = "0123456789ABCDEF";

std::string hexDigits(unsigned value, int count)
{
    std::string s(static_cast<std::size_t>(count), '0');
    for (int i = count - 1; i >= 0; --i, value >>= 4) s[static_cast<std::size_t>(i)] = HexDigits[value & 0xFu];
    return s;
}

} // namespace

std::string decimalText(unsigned value) { return std::to_string(value); }

std::string hex2(std::uint8_t level) { return hexDigits(level, 2); }

std::string hex4(std::uint16_t entry) { return hexDigits(entry, 4); }

std::string hexColour(Rgb c) { return hex2(c.R) + hex2(c.G) + hex2(c.B); }

const char* channelName(int channel)
{
    switch (channel) {
    case 0: return "red";
    case 1: return "green";
    default: return "blue";
    }
}

} // namespace tintora
