#include "platform/wayland/wayland_pointer.h"

namespace tintora::wayland {

WaylandPointer::WaylandPointer(std::shared_ptr<ScreenCast> cast) : m_cast(std::move(cast)) {}

// The frames give it relative to the cast monitor.
std::optional<Point> WaylandPointer::position()
{
    const auto inFrame = m_cast->frames->pointer();
    if (!inFrame) return std::nullopt;
    return Point{m_cast->area.x + inFrame->x, m_cast->area.y + inFrame->y};
}

} // namespace tintora::wayland
