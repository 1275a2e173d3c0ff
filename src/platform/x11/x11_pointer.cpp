#include "platform/x11/x11_pointer.h"

namespace tintora::x11 {

X11Pointer::X11Pointer(std::shared_ptr<Connection> connection)
    : m_connection(std::move(connection)), m_speed(m_connection), m_barriers(m_connection)
{
}

X11Pointer::~X11Pointer()
{
    m_barriers.release();
    m_speed.setSpeed(UserSpeed);
}

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

void X11Pointer::moveTo(Point p)
{
    Display* display = m_connection->display();
    ErrorTrap trap(display);
    XWarpPointer(display, None, m_connection->root(), 0, 0, 0, 0, p.x, p.y);
    XFlush(display);
}

int X11Pointer::speed() { return m_speed.speed(); }

void X11Pointer::setSpeed(int speed) { m_speed.setSpeed(speed); }

bool X11Pointer::canConfinePointer() { return m_barriers.available(); }

void X11Pointer::confine(Rect rect) { m_barriers.confine(rect); }

void X11Pointer::release() { m_barriers.release(); }

} // namespace tintora::x11
