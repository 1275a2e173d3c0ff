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

// Top-left corner of a window of the given size beside the rectangle next:
// right of it, gap pixels between them, tops aligned; left of it where the
// right side of workArea has no room. Held within workArea (its left and top
// edges win over its right and bottom ones for a window larger than it).
Point besideWindow(const Rect& next, int width, int height, int gap, const Rect& workArea);

// Top-left corner of a window of the given height that stands on the
// rectangle below: its bottom edge on that one's top edge, left edges
// aligned, wherever that is (off the work area too).
Point standingOn(const Rect& below, int height);

} // namespace tintora
