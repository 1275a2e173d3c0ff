#include "platform/x11/x11_pointer.h"

namespace tintora::x11 {

X11Pointer::X11Pointer(std::shared_ptr<Connection> connection) : m_connection(std::move(connection)) {}

std::optional<Point> X11Pointer::position()
{
    Window root = None, child = None;
    int rootX = 0, rootY = 0, winX = 0, winY = 0;
    unsigned int mask = 0;
    ErrorTrap trap(m_connection->display());
    // False: the pointer is on another screen of the display.
    if (!XQueryPointer(m_connection->display(), m_connection->root(), &root, &child, &rootX, &rootY, &winX, &winY,
                       &mask) ||
        trap.failed())
        return std::nullopt;
    return Point{rootX, rootY};
}

// In progress: device speed and barriers are being written.
int X11Pointer::speed() { return UserSpeed; }
void X11Pointer::setSpeed(int) {}
bool X11Pointer::canConfinePointer() { return false; }
void X11Pointer::confine(Rect) {}
void X11Pointer::release() {}

} // namespace tintora::x11
