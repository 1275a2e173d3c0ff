#include "colourdialog/picker_images.h"

#include <algorithm>
#include <cstdlib>

#include "colourdialog/hsb.h"
#include "core/rgb.h"
#include "core/rounding.h"

namespace tintora {

namespace {

// Rows of the scale through base, written to out (one colour value a row).
template <typename Out>
void forEachScaleRow(ColourValue base, int height, Out out)
{
    const Rgb levels = rgbFromColourValue(base);
    const double ch[3] = {static_cast<double>(levels.R), static_cast<double>(levels.G),
                          static_cast<double>(levels.B)};
    const int m = (levels.R + levels.G + levels.B) / 3;
    // C++ integer division truncates toward zero, as the offset wants.
    const int k = static_cast<int>(roundHalfEven(m * 255.0 / height)) + (height - 255) / 2;
    const int n = height - k;
    double run[3] = {255.0, 255.0, 255.0};
    double toBase[3];
    double toBlack[3];
    for (int c = 0; c < 3; ++c) {
        toBase[c] = n == 0 ? 0.0 : (255.0 - ch[c]) / n;
        toBlack[c] = k == 0 ? 0.0 : ch[c] / k;
    }
    for (int y = 0; y < height; ++y) {
        int v[3];
        for (int c = 0; c < 3; ++c) {
            if (y < n) {
                run[c] -= toBase[c];
            } else {
                run[c] -= toBlack[c];
                if (run[c] < 0.0) run[c] = 0.0;
            }
            v[c] = roundedLevel(run[c]);
        }
        if (!out(y, colourValueFromLevels(v[0], v[1], v[2]))) return;
    }
}

int snapLevel(int v) { return v < 4 ? 0 : (v > 251 ? 255 : v); }

} // namespace

ScreenImage makeFieldImage(int width, int height)
{
    ScreenImage img;
    if (width <= 0 || height <= 0) return img;
    img.width = width;
    img.height = height;
    img.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const double saturation = 1.0 - static_cast<double>(y) / height;
        const double brightness = 1.0 - static_cast<double>(y) / (3.0 * height);
        for (int x = 0; x < width; ++x)
            img.pixels[static_cast<std::size_t>(y) * width + x] =
                imagePixelFromColourValue(hsbToRgb(360.0 * x / width, saturation, brightness));
    }
    return img;
}

std::vector<ColourValue> scaleRows(ColourValue base, int height)
{
    std::vector<ColourValue> rows;
    if (height <= 0) return rows;
    rows.reserve(static_cast<std::size_t>(height));
    forEachScaleRow(base, height, [&](int, ColourValue c) {
        rows.push_back(c);
        return true;
    });
    return rows;
}

void fillScaleImage(ColourValue base, int width, int height, ScreenImage& image)
{
    if (width <= 0 || height <= 0) {
        image = {};
        return;
    }
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    forEachScaleRow(base, height, [&](int y, ColourValue c) {
        const auto row = image.pixels.begin() + static_cast<std::ptrdiff_t>(y) * width;
        std::fill(row, row + width, imagePixelFromColourValue(c));
        return true;
    });
}

ScreenImage makeScaleImage(ColourValue base, int width, int height)
{
    ScreenImage img;
    fillScaleImage(base, width, height, img);
    return img;
}

ColourValue scaleColourAt(ColourValue base, int height, int row)
{
    if (row < 0 || height <= 0) return colourValueFromLevels(255, 255, 255);
    const bool pastEnd = row >= height;
    const int last = pastEnd ? height - 1 : row;
    ColourValue c = 0;
    forEachScaleRow(base, height, [&](int y, ColourValue row) {
        c = row;
        return y < last;
    });
    if (pastEnd) return c;
    const Rgb levels = rgbFromColourValue(c);
    return colourValueFromLevels(snapLevel(levels.R), snapLevel(levels.G), snapLevel(levels.B));
}

int scaleRowOf(const ScreenImage& scale, ColourValue c)
{
    if (scale.width <= 0 || scale.height <= 0 ||
        scale.pixels.size() < static_cast<std::size_t>(scale.width) * static_cast<std::size_t>(scale.height))
        return 0;
    const Rgb wanted = rgbFromColourValue(c);
    for (int y = 0; y < scale.height; ++y) {
        const Rgb row = rgbFromImagePixel(scale.pixels[static_cast<std::size_t>(y) * scale.width]);
        if (std::abs(row.R - wanted.R) < 4 && std::abs(row.G - wanted.G) < 4 && std::abs(row.B - wanted.B) < 4)
            return y;
    }
    return 0;
}

Point cursorPointFor(int hue, double saturation, int width, int height)
{
    return {width * hue / 360, static_cast<int>(roundHalfEven((1.0 - saturation) * height))};
}

std::array<MarkerSpan, 13> markerSpans(int markerRow)
{
    std::array<MarkerSpan, 13> spans{};
    for (int d = -6; d <= 6; ++d) spans[static_cast<std::size_t>(d + 6)] = {markerRow + d, 1 + std::abs(d), 7};
    return spans;
}

ScaleReadout scaleReadout(int markerRow, double saturation, int height)
{
    const int half = height / 2;
    if (markerRow < half) return {true, (markerRow + 1) * saturation * 100.0 * 2.0 / height};
    // A scale under 2 rows has no halves: its one row is full brightness.
    if (half == 0) return {false, markerRow == 0 ? 100.0 : 0.0};
    return {false, (1.0 - std::abs(half - markerRow) / static_cast<double>(half)) * 100.0};
}

} // namespace tintora
