#pragma once

#include "core/geometry.h"

namespace tintora {

// How near (exclusive) an edge must come to a work-area edge to be put on it.
constexpr int SnapDistance = 10;

// The range of a window's position on the window systems the program runs on
// (X11 carries it in 16 bits; a larger value would wrap around).
constexpr int MinWindowCoordinate = -32768;
constexpr int MaxWindowCoordinate = 32767;

// The main window's proposed top-left corner after snapping its edges, in the
// order left, top, right, bottom, to the edges of workArea, then held within
// the range of window positions, so that a position far off the screen stays
// off it. A proposed (0, 0) is left alone.
Point snapToWorkArea(Point proposed, int width, int height, const Rect& workArea);

// Top-left corner that centres a window of the given size over the rectangle
// over, halves rounded toward zero, never left of or above workArea.
Point centreOver(const Rect& over, int width, int height, const Rect& workArea);

// Top-left corner that centres a window of the given size in workArea, halves
// rounded toward zero, never left of or above the work area.
Point centreInWorkArea(int width, int height, const Rect& workArea);

} // namespace tintora
