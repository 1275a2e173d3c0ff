#pragma once

#include <cstdint>

#include "platform/screen.h"
#include "shell/program_state.h"

namespace tintora {

// Maps a 16-bit ramp entry to a level 0-255: entry / 256 rounded to nearest,
// an exact half going to the even neighbour, capped at 255.
constexpr std::uint8_t LutLevel(std::uint16_t e)
{
    const unsigned q = e / 256u;
    const unsigned r = e % 256u;
    unsigned level = q;
    if (r > 128u || (r == 128u && (q % 2u) == 1u)) ++level;
    return static_cast<std::uint8_t>(level > 255u ? 255u : level);
}

// The colour a pixel read returned, split into levels (bits 24-31 ignored).
constexpr Rgb rgbFromColourValue(ColourValue v)
{
    return {static_cast<std::uint8_t>(v & 0xFFu), static_cast<std::uint8_t>((v >> 8) & 0xFFu),
            static_cast<std::uint8_t>((v >> 16) & 0xFFu)};
}

constexpr ColourValue colourValueFromRgb(Rgb c)
{
    return ColourValue{c.R} | (ColourValue{c.G} << 8) | (ColourValue{c.B} << 16);
}

// The raw ramp entries each channel of c reads in its own table.
struct RawEntries {
    std::uint16_t R = 0;
    std::uint16_t G = 0;
    std::uint16_t B = 0;
};

constexpr RawEntries rawEntries(const GammaTable& ramp, Rgb c)
{
    return {ramp[c.R], ramp[256u + c.G], ramp[512u + c.B]};
}

// c mapped channel by channel through ramp.
constexpr Rgb mapThroughRamp(const GammaTable& ramp, Rgb c)
{
    const RawEntries e = rawEntries(ramp, c);
    return {LutLevel(e.R), LutLevel(e.G), LutLevel(e.B)};
}

// Resamples a ramp of n entries per channel (red, green, blue tables one after
// another) to 256 entries: level L reads entry round(L * (n - 1) / 255), the
// place an 8-bit level lands in a wider or narrower table. n must be >= 2.
void resampleRamp(const std::uint16_t* red, const std::uint16_t* green, const std::uint16_t* blue,
                  int n, GammaTable& out);

} // namespace tintora
