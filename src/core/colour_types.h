#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// The colour values every layer passes around: what a pixel read gives, a
// screen image's pixels, the adapter's gamma ramp. Plain values, no system.

namespace tintora {

// A colour value: red in bits 0-7, green in 8-15, blue in 16-23.
using ColourValue = std::uint32_t;
// What a pixel read gives when the pixel cannot be read.
constexpr ColourValue InvalidColour = 0xFFFFFFFFu;

// A pixel of a screen image: 0x00RRGGBB, blue in the low byte, as image
// libraries store 32-bit pixels (and as "RRGGBB" reads as one number).
using ImagePixel = std::uint32_t;

// The 24 bits of a colour in either layout, the top byte cleared.
constexpr std::uint32_t withoutTopByte(std::uint32_t v) { return v & 0x00FFFFFFu; }

// The colour of three channel levels, each taken modulo 256.
constexpr ColourValue colourValueFromLevels(std::uint32_t red, std::uint32_t green, std::uint32_t blue)
{
    return (red & 0xFFu) | ((green & 0xFFu) << 8) | ((blue & 0xFFu) << 16);
}

constexpr ImagePixel imagePixelFromLevels(std::uint32_t red, std::uint32_t green, std::uint32_t blue)
{
    return ((red & 0xFFu) << 16) | ((green & 0xFFu) << 8) | (blue & 0xFFu);
}

// Between the two layouts red and blue trade places; the top byte is dropped.
constexpr ImagePixel imagePixelFromColourValue(ColourValue v)
{
    return ((v >> 16) & 0xFFu) | (v & 0xFF00u) | ((v & 0xFFu) << 16);
}

constexpr ColourValue colourValueFromImagePixel(ImagePixel p) { return imagePixelFromColourValue(p); }

// The adapter's gamma ramp: red table (0-255), green (256-511), blue (512-767).
using GammaTable = std::array<std::uint16_t, 768>;

// The ramp of one output, with where it came from.
struct RampReading {
    GammaTable ramp{};  // 256 entries per channel, resampled where the output's own size differs
    std::string output; // the output's name ("HDMI-1"; on Windows the monitor's device name)
    int size = 0;       // entries per channel of the output's own ramp, before resampling
    friend bool operator==(const RampReading&, const RampReading&) = default;
};

// The largest display profile read; a larger one is refused unread.
constexpr std::size_t kLargestProfileBytes = 4u * 1024u * 1024u;

} // namespace tintora
