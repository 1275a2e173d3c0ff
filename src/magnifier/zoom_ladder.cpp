#include "magnifier/zoom_ladder.h"

#include <algorithm>
#include <cmath>

#include "magnifier/magnifier_geometry.h"

namespace tintora {

namespace {

// The lowest zoom a step leaves: the bottom rung.
constexpr double LowestZoom = 0.5;
// What a step starts from when the zoom is not a number or infinite: the
// zoom the program starts with.
constexpr double ZoomOfUnusableValue = 2.0;

// Index of the rung at or above 1 equal to n, if any.
std::optional<std::size_t> wholeRung(double n)
{
    for (std::size_t i = 1; i < ZoomLadder.size(); ++i)
        if (ZoomLadder[i].zoom == n) return i;
    return std::nullopt;
}

double step(double zoom, bool up)
{
    if (!std::isfinite(zoom)) zoom = ZoomOfUnusableValue;
    if (zoom == ZoomLadder.front().zoom) return up ? ZoomLadder[1].zoom : zoom;

    double next;
    if (const auto i = wholeRung(roundHalfEven(zoom)))
        next = up ? ZoomLadder[std::min(*i + 1, ZoomLadder.size() - 1)].zoom : ZoomLadder[*i - 1].zoom;
    else
        next = up ? zoom + 1.0 : zoom - 1.0;
    return std::max(next, LowestZoom);
}

} // namespace

std::optional<std::size_t> checkedZoomItem(double zoom)
{
    for (std::size_t i = 0; i < ZoomLadder.size(); ++i)
        if (ZoomLadder[i].zoom == zoom) return i;
    return std::nullopt;
}

double zoomStepUp(double zoom) { return step(zoom, true); }
double zoomStepDown(double zoom) { return step(zoom, false); }

} // namespace tintora
