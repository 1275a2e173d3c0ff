#pragma once

#include <string>

#include "core/rounding.h"
#include "core/geometry.h"
#include "platform/screen.h"

namespace tintora {

// The block of screen pixels the magnifier shows for a picture of
// width x height: the pointer's pixel grown by dx columns on each side and by
// dy rows above and below, (p.x - dx, p.y - dy, 2dx + 1, 2dy + 1), with
// dx = roundHalfEven(width / 2 / zoom) and dy likewise from height.
// Any zoom is accepted: dx is kept within 0..width and dy within 0..height, so
// a zoom of 0 or one just above it grabs at most (2width + 1) x (2height + 1)
// pixels, while a huge, infinite, negative or NaN zoom shows only the
// pointer's pixel.
Rect sourceBlock(Point pointer, int width, int height, double zoom);

// Scales src onto the whole of dst, keeping dst's size; dst's pixels are only
// reallocated when their count does not match dst's size. Each axis on its own:
// destination column x shows the source columns from floor(x * sw / dw) up to,
// not including, floor((x + 1) * sw / dw), at least one (sw, dw: source and
// destination widths); rows likewise. Enlarging therefore replicates pixels
// without smoothing; where the sizes do not divide, some source columns fill
// one picture column more than others (3 columns onto 7: 0 0 0 1 1 2 2;
// 101 onto 201: each column twice, the last one once). Reducing combines the
// 2 or more source columns of a destination column with a bitwise AND of their
// values, so thin dark lines survive (403 onto 201: two columns each, three for
// the last). An empty source leaves dst black.
void stretchInto(const ScreenImage& src, ScreenImage& dst);

// Pixels of the crosshair.
constexpr ImagePixel CrosshairColour = imagePixelFromLevels(0, 0, 0);         // black
constexpr ImagePixel CrosshairCentreColour = imagePixelFromLevels(255, 0, 0); // pure red

// Draws the magnifier's crosshair over img. With cx = width / 2 and
// cy = height / 2 (not truncated) and N = roundHalfEven: a black row segment
// from N(cx - width / 4) up to, not including, N(cx + width / 4) on row N(cy),
// a black column segment from N(cy - height / 4) to N(cy + height / 4) in
// column N(cx), then the pixel (N(cx), N(cy)) red. For 201 x 201: columns and
// rows 50 to 150, red at (100, 100). Parts outside img are left out.
void drawCrosshair(ScreenImage& img);

// The magnifier's coordinates label: "1024 x 768", "-5 x -20".
std::string coordinateText(Point p);

} // namespace tintora
