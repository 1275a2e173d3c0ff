#pragma once

#include <cstdint>

#include "core/rgb.h"
#include "platform/screen.h"

namespace tintora {

// Maps a 16-bit ramp entry to a level 0-255: entry / 256 rounded to nearest,
// an exact half going to the even neighbour, capped at 255.
constexpr std::uint8_t lutLevel(std::uint16_t e)
{
    const unsigned q = e / 256u;
    const unsigned r = e % 256u;
    unsigned level = q;
    if (r > 128u || (r == 128u && (q % 2u) == 1u)) ++level;
    return static_cast<std::uint8_t>(level > 255u ? 255u : level);
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
    return {lutLevel(e.R), lutLevel(e.G), lutLevel(e.B)};
}

} // namespace tintora
