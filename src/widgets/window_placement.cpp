#include "widgets/window_placement.h"

#include "core/screen_snapping.h"
#include "widgets/frame_placement.h"

using namespace tintora;

namespace {

Rect rectOf(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }

QPoint qPointOf(Point p) { return {p.x, p.y}; }

} // namespace

WindowPlacement::WindowPlacement(Platform& platform) : m_platform(platform) {}

bool WindowPlacement::placesWindows() const { return m_platform.windows->canPlaceWindows(); }

Rect WindowPlacement::workAreaUnder(const QRect& frame) const
{
    return m_platform.screen.monitors->workAreaAt({frame.x() + frame.width() / 2, frame.y() + frame.height() / 2});
}

void WindowPlacement::moveSnapped(QWidget* window, Point proposed) const
{
    if (!placesWindows()) return;
    const Point p = snapToWorkArea(proposed, window->width(), window->height(), workAreaUnder(window->geometry()));
    window->move(p.x, p.y);
}

void WindowPlacement::centreInPrimaryWorkArea(QWidget* window) const
{
    moveSnapped(window, centreInWorkArea(window->width(), window->height(), m_platform.screen.monitors->primaryWorkArea()));
}

void WindowPlacement::placeBeside(QWidget* window, const QRect& next, int gap) const
{
    if (!placesWindows()) return;
    const Rect area = workAreaUnder(next);
    FramePlacement::placeFirst(window, [next = rectOf(next), gap, area](QSize outer) {
        return qPointOf(besideWindow(next, outer.width(), outer.height(), gap, area));
    });
}

void WindowPlacement::centreOver(QWidget* window, const QRect& over) const
{
    if (!placesWindows()) return;
    const Rect area = workAreaUnder(over);
    FramePlacement::placeFirst(window, [over = rectOf(over), area](QSize outer) {
        return qPointOf(::tintora::centreOver(over, outer.width(), outer.height(), area));
    });
}

void WindowPlacement::centreInWorkAreaUnder(QWidget* window, const std::optional<QRect>& under) const
{
    if (!placesWindows()) return;
    const Rect area = under ? workAreaUnder(*under) : m_platform.screen.monitors->primaryWorkArea();
    FramePlacement::placeFirst(window, [area](QSize outer) {
        return qPointOf(centreInWorkArea(outer.width(), outer.height(), area));
    });
}

std::optional<QPoint> WindowPlacement::dockingPlace(const QWidget* window, const QRect& below) const
{
    if (!placesWindows()) return std::nullopt;
    return qPointOf(standingOn(rectOf(below), window->height()));
}
