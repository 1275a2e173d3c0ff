#pragma once

#include <memory>
#include <vector>

#include "core/geometry.h"
#include "platform/x11/x11_connection.h"

namespace tintora::x11 {

// Pointer confinement with XFixes pointer barriers (XFixes 5): four barriers
// around a rectangle, each letting motion through only towards the inside.
// They hold the pointer against device motion, whatever program has the
// focus, without grabbing it; warps pass through them.
class PointerBarriers {
public:
    explicit PointerBarriers(std::shared_ptr<Connection> connection);
    ~PointerBarriers();
    PointerBarriers(const PointerBarriers&) = delete;
    PointerBarriers& operator=(const PointerBarriers&) = delete;

    bool available() const { return m_available; }
    // Keeps the pointer with left <= x < right and top <= y < bottom,
    // bringing it inside first when it is not; replaces earlier barriers.
    // Empty rectangles are ignored.
    void confine(Rect rect);
    void release();

private:
    // One barrier of the server, destroyed with this object.
    class Barrier {
    public:
        Barrier(Display* display, unsigned long id) : m_display(display), m_id(id) {}
        ~Barrier();
        Barrier(Barrier&& other) noexcept : m_display(other.m_display), m_id(other.m_id) { other.m_id = 0; }
        Barrier(const Barrier&) = delete;
        Barrier& operator=(const Barrier&) = delete;
        Barrier& operator=(Barrier&&) = delete;

    private:
        Display* m_display;
        unsigned long m_id;
    };

    void warpPointer(int x, int y);

    std::shared_ptr<Connection> m_connection;
    bool m_available = false;
    bool m_hasXInput2 = false;
    std::vector<Barrier> m_barriers;
};

} // namespace tintora::x11
