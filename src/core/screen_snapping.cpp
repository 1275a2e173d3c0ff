#include "core/screen_snapping.h"

#include <algorithm>
#include <cstdlib>

namespace tintora {

Point snapToWorkArea(Point proposed, int width, int height, const Rect& workArea)
{
    if (proposed.x == 0 && proposed.y == 0) return proposed;
    Point p = proposed;
    auto near = [](long long a, long long b) { return std::llabs(a - b) < SnapDistance; };
    if (near(p.x, workArea.left())) p.x = workArea.left();
    if (near(p.y, workArea.top())) p.y = workArea.top();
    if (near(static_cast<long long>(p.x) + width, workArea.right())) p.x = workArea.right() - width;
    if (near(static_cast<long long>(p.y) + height, workArea.bottom())) p.y = workArea.bottom() - height;
    p.x = std::clamp(p.x, MinWindowCoordinate, MaxWindowCoordinate);
    p.y = std::clamp(p.y, MinWindowCoordinate, MaxWindowCoordinate);
    return p;
}

Point centreOver(const Rect& over, int width, int height, const Rect& workArea)
{
    int left = over.left() + (over.width - width) / 2;
    int top = over.top() + (over.height - height) / 2;
    if (left < workArea.left()) left = workArea.left();
    if (top < workArea.top()) top = workArea.top();
    return {left, top};
}

Point centreInWorkArea(int width, int height, const Rect& workArea) { return centreOver(workArea, width, height, workArea); }

Point besideWindow(const Rect& next, int width, int height, int gap, const Rect& workArea)
{
    int left = next.right() + gap;
    if (left + width > workArea.right()) left = next.left() - gap - width;
    left = std::max(workArea.left(), std::min(left, workArea.right() - width));
    const int top = std::max(workArea.top(), std::min(next.top(), workArea.bottom() - height));
    return {left, top};
}

Point standingOn(const Rect& below, int height) { return {below.left(), below.top() - height}; }

} // namespace tintora
