#pragma once

#include <memory>

#include "platform/monitors.h"
#include "platform/x11/x11_layout.h"

namespace tintora::x11 {

// The layout's monitors, and their work areas as the window manager
// publishes them: per monitor in _GTK_WORKAREAS_D<n> where it does (GTK-based
// window managers), else _NET_WORKAREA of the current desktop within the
// monitor; the monitor itself without a window manager.
class X11Monitors final : public Monitors {
public:
    explicit X11Monitors(std::shared_ptr<X11Layout> layout);

    Rect virtualDesktop() override;
    std::vector<Rect> monitors() override;
    bool knowsWorkAreas() override { return true; }
    Rect primaryWorkArea() override;
    Rect workAreaAt(Point p) override;

private:
    Rect workAreaOfMonitor(const Rect& monitor);

    std::shared_ptr<X11Layout> m_layout;
    Display* m_display;
    Window m_root;
};

} // namespace tintora::x11
