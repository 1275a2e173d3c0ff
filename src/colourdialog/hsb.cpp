#include "colourdialog/hsb.h"

#include <algorithm>
#include <cmath>

#include "core/rgb.h"
#include "core/rounding.h"

namespace tintora {

namespace {

double clamp255(double v) { return v < 0.0 ? 0.0 : (v > 255.0 ? 255.0 : v); }

} // namespace

int roundedLevel(double v)
{
    const double r = roundHalfEven(v);
    if (!(r >= 0.0)) return 0;
    return r > 255.0 ? 255 : static_cast<int>(r);
}

Hsb rgbToHsb(ColourValue c)
{
    const Rgb levels = rgbFromColourValue(c);
    const int r = levels.R;
    const int g = levels.G;
    const int b = levels.B;
    const int mx = std::max({r, g, b});
    const int mn = std::min({r, g, b});
    const int d = mx - mn;
    Hsb out;
    out.saturation = mx == 0 ? 0.0 : static_cast<double>(d) / mx;
    out.brightness = mx / 255.0;
    if (d == 0) return out;
    // base + 60 x diff / d, in whole numbers over d: exact, so truncating the
    // quotient of a positive numerator is exact too.
    int numerator;
    if (r == mx)
        numerator = 60 * (g - b);
    else if (g == mx)
        numerator = 120 * d + 60 * (b - r);
    else
        numerator = 240 * d + 60 * (r - g);
    if (numerator < 0) numerator += 360 * d;
    out.hue = numerator / d;
    return out;
}

ColourValue hsbToRgb(double hue, double saturation, double brightness)
{
    if (saturation == 0.0) {
        const int grey = roundedLevel(brightness * 255.0);
        return colourValueFromLevels(grey, grey, grey);
    }
    const double h = hue == 360.0 ? 0.0 : hue / 60.0;
    const double i = std::trunc(h);
    const double f = h - i;
    const double v = brightness * 255.0;
    const double p = clamp255(v * (1.0 - saturation));
    const double q = clamp255(v * (1.0 - saturation * f));
    const double t = clamp255(v * (1.0 - saturation * (1.0 - f)));
    // Sectors 0-4 by name; every other integer part (5, 6 and up, negative,
    // NaN) takes the last sector.
    const int sector = (i >= 0.0 && i <= 4.0) ? static_cast<int>(i) : 5;
    double rgb[3];
    switch (sector) {
    case 0: rgb[0] = v; rgb[1] = t; rgb[2] = p; break;
    case 1: rgb[0] = q; rgb[1] = v; rgb[2] = p; break;
    case 2: rgb[0] = p; rgb[1] = v; rgb[2] = t; break;
    case 3: rgb[0] = p; rgb[1] = q; rgb[2] = v; break;
    case 4: rgb[0] = t; rgb[1] = p; rgb[2] = v; break;
    default: rgb[0] = v; rgb[1] = p; rgb[2] = q; break;
    }
    return colourValueFromLevels(roundedLevel(rgb[0]), roundedLevel(rgb[1]), roundedLevel(rgb[2]));
}

} // namespace tintora
