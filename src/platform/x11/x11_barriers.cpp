#include "platform/x11/x11_barriers.h"

#include <X11/extensions/XInput2.h>
#include <X11/extensions/Xfixes.h>

#include <algorithm>

namespace tintora::x11 {

namespace {

// Pointer barriers came with XFixes 5.
constexpr int BarrierMajorVersion = 5;

// Barrier ends: coordinates are 16-bit, and a negative start means no end.
constexpr int Unbounded = -1;
constexpr int FarEnd = 32767;

} // namespace

PointerBarriers::Barrier::~Barrier()
{
    if (m_id) XFixesDestroyPointerBarrier(m_display, m_id);
}

PointerBarriers::PointerBarriers(std::shared_ptr<Connection> connection) : m_connection(std::move(connection))
{
    Display* display = m_connection->display();
    int opcode = 0, eventBase = 0, errorBase = 0;
    if (XQueryExtension(display, "XInputExtension", &opcode, &eventBase, &errorBase)) {
        ErrorTrap trap(display);
        int major = 2, minor = 2;
        m_hasXInput2 = XIQueryVersion(display, &major, &minor) == Success && !trap.failed();
    }
    if (!XFixesQueryExtension(display, &eventBase, &errorBase)) return;
    ErrorTrap trap(display);
    int major = BarrierMajorVersion, minor = 0;
    m_available = XFixesQueryVersion(display, &major, &minor) && !trap.failed() && major >= BarrierMajorVersion;
}

PointerBarriers::~PointerBarriers() { release(); }

void PointerBarriers::confine(Rect rect)
{
    if (!m_available || rect.isEmpty()) return;
    Display* display = m_connection->display();
    const Window root = m_connection->root();
    ErrorTrap trap(display);

    // Barriers only stop motion across them: a pointer outside would stay
    // outside. Warps are not stopped by barriers, so it is moved in first.
    Window rootReturn = None, child = None;
    int x = 0, y = 0, winX = 0, winY = 0;
    unsigned int mask = 0;
    if (XQueryPointer(display, root, &rootReturn, &child, &x, &y, &winX, &winY, &mask) && !rect.contains({x, y}))
        warpPointer(std::clamp(x, rect.left(), rect.right() - 1), std::clamp(y, rect.top(), rect.bottom() - 1));

    // A barrier on a vertical line at x lets the pointer reach x - 1 from the
    // left and x from the right: the right side goes on right() itself, and
    // likewise the bottom on bottom(). Each barrier is a whole line, not just
    // the rectangle's side: the server finds where diagonal motion crosses a
    // barrier mirrored about the starting point, so a side-length barrier
    // lets the pointer slip out past a corner. A negative start makes the
    // server treat a barrier as unbounded on that side.
    const int left = rect.left(), right = rect.right(), top = rect.top(), bottom = rect.bottom();
    struct Line {
        int x1, y1, x2, y2, allowed;
    };
    const Line lines[] = {
        {left, Unbounded, left, FarEnd, BarrierPositiveX},
        {right, Unbounded, right, FarEnd, BarrierNegativeX},
        {Unbounded, top, FarEnd, top, BarrierPositiveY},
        {Unbounded, bottom, FarEnd, bottom, BarrierNegativeY},
    };
    std::vector<Barrier> barriers;
    for (const Line& l : lines) {
        const PointerBarrier id =
            XFixesCreatePointerBarrier(display, root, l.x1, l.y1, l.x2, l.y2, l.allowed, 0, nullptr);
        if (id) barriers.emplace_back(display, id);
    }
    if (trap.failedAfterSync()) {
        // Half a box would only get in the way; the old one stays in force.
        barriers.clear();
        XSync(display, False);
        return;
    }
    // The new barriers stand before the old ones go, so the pointer is never free in between.
    m_barriers = std::move(barriers);
    XSync(display, False);
}

void PointerBarriers::warpPointer(int x, int y)
{
    Display* display = m_connection->display();
    // Through the master pointer with XInput 2: a core warp goes through the
    // device that moved last and, when that device's transformation matrix
    // scales (a speed other than the user's), leaves it believing it is
    // elsewhere, so its next motion would make the pointer jump.
    // (The result only says whether the client pointer was chosen explicitly;
    // the server has chosen one since confine() queried the pointer.)
    int master = 0;
    if (m_hasXInput2) XIGetClientPointer(display, None, &master);
    if (master > 0) {
        XIWarpPointer(display, master, None, m_connection->root(), 0, 0, 0, 0, x, y);
        return;
    }
    XWarpPointer(display, None, m_connection->root(), 0, 0, 0, 0, x, y);
}

void PointerBarriers::release()
{
    if (m_barriers.empty()) return;
    ErrorTrap trap(m_connection->display());
    m_barriers.clear();
    trap.failedAfterSync();
}

} // namespace tintora::x11
