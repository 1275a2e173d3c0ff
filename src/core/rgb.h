#pragma once

#include <cstdint>

#include "core/colour_types.h"

namespace tintora {

// Three channel levels 0-255 in the order red, green, blue.
struct Rgb {
    std::uint8_t R = 0;
    std::uint8_t G = 0;
    std::uint8_t B = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The colour a pixel read returned, split into levels (bits 24-31 ignored).
constexpr Rgb rgbFromColourValue(ColourValue v)
{
    return {static_cast<std::uint8_t>(v & 0xFFu), static_cast<std::uint8_t>((v >> 8) & 0xFFu),
            static_cast<std::uint8_t>((v >> 16) & 0xFFu)};
}

constexpr ColourValue colourValueFromRgb(Rgb c) { return colourValueFromLevels(c.R, c.G, c.B); }

// A screen image's pixel split into levels (bits 24-31 ignored).
constexpr Rgb rgbFromImagePixel(ImagePixel p) { return rgbFromColourValue(colourValueFromImagePixel(p)); }

} // namespace tintora
