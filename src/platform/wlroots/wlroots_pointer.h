#pragma once

#include <memory>

#include "platform/pointer.h"
#include "platform/wlroots/wlroots_overlay.h"

namespace tintora::wlroots {

// The pointer as the pick mode's overlay sees it: known only while the
// overlay is shown (no wlroots interface tells a client where the pointer is
// over other programs' windows). It is moved through the compositor's
// virtual pointer, and the axis locks hold it on their line by putting it
// back whenever it leaves (the overlay keeps the line; outside the pick
// mode nothing is held). The speed is the user's compositor setting, which
// no client may change.
class WlrootsPointer final : public Pointer {
public:
    explicit WlrootsPointer(std::shared_ptr<Overlay> overlay) : m_overlay(std::move(overlay)) {}

    std::optional<Point> position() override { return m_overlay->position(); }
    bool canMovePointer() override { return m_overlay->canMovePointer(); }
    void moveTo(Point p) override { m_overlay->moveTo(p); }
    bool canSetPointerSpeed() override { return false; }
    std::string pointerSpeedRefusal() override { return "this session does not let programs set the pointer speed"; }
    int speed() override { return 0; }
    void setSpeed(int) override {}
    bool canConfinePointer() override { return m_overlay->canMovePointer(); }
    void confine(Rect rect) override { m_overlay->confine(rect); }
    void release() override { m_overlay->release(); }

private:
    std::shared_ptr<Overlay> m_overlay;
};

} // namespace tintora::wlroots
