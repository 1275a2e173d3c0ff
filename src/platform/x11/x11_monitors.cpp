#include "platform/x11/x11_monitors.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <string>

namespace tintora::x11 {

namespace {

long overlapArea(const Rect& a, const Rect& b)
{
    const Rect r = intersected(a, b);
    return static_cast<long>(r.width) * r.height;
}

// Reads a CARDINAL array property of the root window.
std::vector<long> cardinals(Display* display, Window window, Atom property)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<long> values;
    if (XGetWindowProperty(display, window, property, 0, 1024, False, XA_CARDINAL, &type, &format, &count, &after,
                           &data) == Success &&
        data && format == 32) {
        // Format 32 properties come back as an array of long.
        const long* p = reinterpret_cast<const long*>(data);
        values.assign(p, p + count);
    }
    if (data) XFree(data);
    return values;
}

} // namespace

X11Monitors::X11Monitors(std::shared_ptr<X11Layout> layout)
    : m_layout(std::move(layout)), m_display(m_layout->connection()->display()), m_root(m_layout->connection()->root())
{
}

Rect X11Monitors::virtualDesktop()
{
    m_layout->refreshIfChanged();
    const std::vector<Rect>& monitors = m_layout->monitors();
    Rect r = monitors.front();
    for (const Rect& m : monitors) {
        const int l = std::min(r.left(), m.left()), t = std::min(r.top(), m.top());
        const int rt = std::max(r.right(), m.right()), b = std::max(r.bottom(), m.bottom());
        r = {l, t, rt - l, b - t};
    }
    return r;
}

std::vector<Rect> X11Monitors::monitors()
{
    m_layout->refreshIfChanged();
    return m_layout->monitors();
}

Rect X11Monitors::workAreaOfMonitor(const Rect& monitor)
{
    Connection& connection = *m_layout->connection();
    // Per-monitor work areas (GTK-based window managers) first.
    const std::vector<long> desktop = cardinals(m_display, m_root, connection.atom("_NET_CURRENT_DESKTOP"));
    const long current = desktop.empty() ? 0 : desktop.front();
    const std::string gtkName = "_GTK_WORKAREAS_D" + std::to_string(current);
    const std::vector<long> gtk = cardinals(m_display, m_root, connection.atom(gtkName.c_str()));
    Rect best;
    long bestArea = 0;
    for (std::size_t i = 0; i + 3 < gtk.size(); i += 4) {
        const Rect r{static_cast<int>(gtk[i]), static_cast<int>(gtk[i + 1]), static_cast<int>(gtk[i + 2]),
                     static_cast<int>(gtk[i + 3])};
        const long area = overlapArea(r, monitor);
        if (area > bestArea) {
            best = intersected(r, monitor);
            bestArea = area;
        }
    }
    if (bestArea > 0) return best;

    const std::vector<long> wa = cardinals(m_display, m_root, connection.atom("_NET_WORKAREA"));
    const std::size_t at = static_cast<std::size_t>(current) * 4;
    if (at + 3 < wa.size()) {
        const Rect r{static_cast<int>(wa[at]), static_cast<int>(wa[at + 1]), static_cast<int>(wa[at + 2]),
                     static_cast<int>(wa[at + 3])};
        const Rect inMonitor = intersected(r, monitor);
        if (!inMonitor.isEmpty()) return inMonitor;
    }
    // No window manager: the whole monitor is usable.
    return monitor;
}

Rect X11Monitors::primaryWorkArea()
{
    m_layout->refreshIfChanged();
    return workAreaOfMonitor(m_layout->monitors().front());
}

Rect X11Monitors::workAreaAt(Point p)
{
    m_layout->refreshIfChanged();
    const std::vector<Rect>& monitors = m_layout->monitors();
    const Rect* nearest = &monitors.front();
    long nearestDistance = -1;
    for (const Rect& m : monitors) {
        if (m.contains(p)) return workAreaOfMonitor(m);
        const long dx = p.x < m.left() ? m.left() - p.x : p.x >= m.right() ? p.x - m.right() + 1 : 0;
        const long dy = p.y < m.top() ? m.top() - p.y : p.y >= m.bottom() ? p.y - m.bottom() + 1 : 0;
        const long d = dx * dx + dy * dy;
        if (nearestDistance < 0 || d < nearestDistance) {
            nearestDistance = d;
            nearest = &m;
        }
    }
    return workAreaOfMonitor(*nearest);
}

} // namespace tintora::x11
