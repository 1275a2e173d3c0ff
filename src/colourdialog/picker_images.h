#pragma once

// The colour dialog's picking surfaces as images: the hue-saturation field
// and the brightness scale, with the field's cursor circle, the scale's
// marker triangle and what a scale row means. Standard library only.
//
// Colours are colour values (red in bits 0-7, green 8-15, blue 16-23, top byte
// 0); images are tintora::ScreenImage. "Rounded" below means to the nearest
// whole number, an exact half going to the even neighbour.

#include <array>
#include <vector>

#include "core/geometry.h"
#include "platform/screen.h"

namespace tintora {

// Sizes of the two picking surfaces in the dialog.
constexpr int FieldWidth = 255;
constexpr int FieldHeight = 255;
constexpr int ScaleWidth = 20;
constexpr int ScaleHeight = 255;

// ---- Images ---------------------------------------------------------------

// The field image, width x height: pixel (x, y) is
// hsbToRgb(360 x / width, 1 - y / height, 1 - y / (3 height)), not rounded
// before the conversion. Pure hues on top, greyed and darkened towards the
// bottom.
ScreenImage makeFieldImage(int width, int height);

// The colour of each row of a scale height rows high that passes through
// base: from just short of white down to base at row n - 1, then down to
// black at the last row, where m = (R + G + B) / 3 (integer),
// k = round(m 255 / height) + trunc((height - 255) / 2), n = height - k.
// One running real value per channel, lowered by (255 - ch) / n before each
// of the rows 0..n-1 and by ch / k before each later row; each row gets the
// rounded value kept within 0..255. Colour values, row 0 first.
std::vector<ColourValue> scaleRows(ColourValue base, int height);

// The scale image: width x height, every pixel of a row in that row's colour
// from scaleRows.
ScreenImage makeScaleImage(ColourValue base, int width, int height);
// The same into image, whose pixels are reallocated only when the size
// changes: a drag over the field redoes the scale for every point.
void fillScaleImage(ColourValue base, int width, int height, ScreenImage& image);

// The colour a press on scale row `row` picks: that row's colour with each
// channel below 4 made 0 and each above 251 made 255 (so the top row is
// exactly white). A row above the scale gives white; a row below it gives
// the last row, not snapped.
ColourValue scaleColourAt(ColourValue base, int height, int row);

// The first row, from the top, of the scale image whose red, green and blue
// each differ from c's by less than 4; 0 when none does (or the image is
// empty).
int scaleRowOf(const ScreenImage& scale, ColourValue c);

// ---- Cursor and marker ----------------------------------------------------

// Where the field's cursor circle sits for a hue and a saturation:
// (width x hue / 360 in integer arithmetic, (1 - saturation) x height rounded).
Point cursorPointFor(int hue, double saturation, int width, int height);

// The box of the cursor circle around p: corners (p.x - 5, p.y - 5) and
// (p.x + 5, p.y + 5), right and bottom exclusive.
constexpr Rect cursorBox(Point p) { return {p.x - 5, p.y - 5, 10, 10}; }

// One row of the marker triangle: the pixels first..last (inclusive) of
// row, both relative to the scale's right edge (one past its last column) and
// to the scale's top row.
struct MarkerSpan {
    int row = 0;
    int first = 0;
    int last = 0;
};

// The black marker triangle pointing left at the scale for markerRow: rows
// markerRow + d, d from -6 to 6, each from 1 + |d| to 7.
std::array<MarkerSpan, 13> markerSpans(int markerRow);

// The saturation and brightness readouts a scale row gives (while the colour
// is taken from the scale): with half = height / 2 truncated, a row above
// half gives the saturation readout (row + 1) x saturation x 100 x 2 / height
// and leaves brightness; any other row gives the brightness readout
// (1 - |half - row| / half) x 100 and leaves saturation.
struct ScaleReadout {
    bool setsSaturation = false; // else it sets the brightness
    double value = 0.0;
};
ScaleReadout scaleReadout(int markerRow, double saturation, int height);

} // namespace tintora
