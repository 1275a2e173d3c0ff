#pragma once

// Hue, saturation and brightness: the conversions of the colour dialog
// between them and red-green-blue. Standard library only.
//
// Colours are colour values (red in bits 0-7, green 8-15, blue 16-23).
// "Rounded" below means to the nearest whole number, an exact half going to
// the even neighbour; "truncated" means toward zero.

#include "platform/screen.h"

namespace tintora {

struct Hsb {
    int hue = 0;             // degrees 0..359, truncated
    double saturation = 0.0; // 0..1
    double brightness = 0.0; // 0..1
};

// Hue, saturation and brightness of c (top byte ignored). Saturation is
// (max - min) / max (0 for black), brightness max / 255. The hue is 0 for a
// grey; otherwise 60 (G - B) / d when red is the largest channel (red wins
// every tie), 120 + 60 (B - R) / d when green is, else 240 + 60 (R - G) / d,
// plus 360 when negative, truncated. Computed exactly: a hue that is a whole
// number in exact arithmetic comes out as that number ((181, 181, 75): 60).
Hsb rgbToHsb(ColourValue c);

// The colour of a hue (degrees; 360 counts as 0), a saturation and a
// brightness (0..1). A saturation of 0 gives the grey brightness x 255
// rounded; otherwise the usual six sectors with p, q and t clamped to 0..255
// and every channel rounded (and kept within 0..255).
ColourValue hsbToRgb(double hue, double saturation, double brightness);

// A channel level rounded and kept within 0..255; NaN gives 0.
int roundedLevel(double v);

} // namespace tintora
