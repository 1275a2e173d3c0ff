#pragma once

#include <memory>

#include "platform/pointer.h"
#include "platform/x11/x11_barriers.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_pointer_speed.h"

namespace tintora::x11 {

// The pointer on X11: position from the server, speed through the devices'
// transformation matrices, confinement by pointer barriers. Destroying it
// gives the devices their own settings back and frees the pointer.
class X11Pointer final : public Pointer {
public:
    explicit X11Pointer(std::shared_ptr<Connection> connection);
    ~X11Pointer() override;
    std::optional<Point> position() override;
    bool canMovePointer() override { return true; }
    void moveTo(Point p) override;
    int speed() override;
    bool canSetPointerSpeed() override { return m_speed.available(); }
    std::string pointerSpeedRefusal() override { return m_speed.refusal(); }
    void setSpeed(int speed) override;
    bool canConfinePointer() override;
    void confine(Rect rect) override;
    void release() override;

    // A watchdog process gives the devices back should the program die
    // without doing it. Only for the program itself: the watchdog is its
    // binary started again.
    void watchOverCrashes() { m_speed.watchOverCrashes(); }

private:
    std::shared_ptr<Connection> m_connection;
    DeviceSpeed m_speed;
    PointerBarriers m_barriers;
};

} // namespace tintora::x11
