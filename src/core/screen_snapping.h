#pragma once

#include "platform/geometry.h"

namespace tintora {

// How near (exclusive) an edge must come to a work-area edge to be put on it.
constexpr int SnapDistance = 10;

// The main window's proposed top-left corner after snapping its edges, in the
// order left, top, right, bottom, to the edges of workArea. A proposed (0, 0)
// is left alone.
Point snapToWorkArea(Point proposed, int width, int height, const Rect& workArea);

// Top-left corner that centres a window of the given size over the rectangle
// over, halves rounded toward zero, never left of or above workArea.
Point centreOver(const Rect& over, int width, int height, const Rect& workArea);

// Top-left corner that centres a window of the given size in workArea, halves
// rounded toward zero, never left of or above the work area.
Point centreInWorkArea(int width, int height, const Rect& workArea);

} // namespace tintora
