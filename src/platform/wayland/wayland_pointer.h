#pragma once

#include <memory>

#include "platform/pointer.h"
#include "platform/wayland/wayland_screen.h"

namespace tintora::wayland {

// The pointer as the screen cast's frames report it. A Wayland compositor
// lets no client move, slow down or hold the pointer outside its own
// windows: those report themselves unavailable and do nothing.
class WaylandPointer final : public Pointer {
public:
    explicit WaylandPointer(std::shared_ptr<ScreenCast> cast);

    std::optional<Point> position() override;
    bool canMovePointer() override { return false; }
    void moveTo(Point) override {}
    bool canSetPointerSpeed() override { return false; }
    std::string pointerSpeedRefusal() override { return "this session does not let programs set the pointer speed"; }
    int speed() override { return 0; }
    void setSpeed(int) override {}
    bool canConfinePointer() override { return false; }
    void confine(Rect) override {}
    void release() override {}

private:
    std::shared_ptr<ScreenCast> m_cast;
};

} // namespace tintora::wayland
