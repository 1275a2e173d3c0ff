#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include "core/geometry.h"
#include "platform/x11/x11_connection.h"

namespace tintora::x11 {

// The CRTCs and monitors as RandR last described them, shared by the
// screen's parts (pixels, ramps, profiles, monitors). The layout is read
// again only after the server's notice of a change, so a tick costs no
// round trip for it.
class X11Layout {
public:
    struct Crtc {
        RRCrtc id = 0;
        Rect rect;
        int gammaSize = 0;
        std::string output; // name of its first output
        RROutput outputId = 0;
    };

    explicit X11Layout(std::shared_ptr<Connection> connection);
    ~X11Layout();
    X11Layout(const X11Layout&) = delete;
    X11Layout& operator=(const X11Layout&) = delete;

    const std::shared_ptr<Connection>& connection() const { return m_connection; }
    bool hasRandr12() const { return m_hasRandr12; }
    int randrEventBase() const { return m_randrEventBase; }

    // Hands the connection's pending events to their listeners, then reads
    // the layout again when one of them was a notice of its change.
    void refreshIfChanged();
    // Counts the readings of the layout: what depends on the outputs compares
    // it with the count it last saw.
    std::uint64_t generation() const { return m_generation; }

    // CRTCs that show something.
    const std::vector<Crtc>& crtcs() const { return m_crtcs; }
    // The CRTC that shows p; none when none does.
    const Crtc* crtcAt(Point p) const;
    // Monitor rectangles, primary first; never empty (the root at least).
    const std::vector<Rect>& monitors() const { return m_monitors; }
    // The monitors' parts on the root: what has pixels.
    const std::vector<Rect>& shown() const { return m_shown; }
    Rect rootRect() const;

private:
    void read();

    std::shared_ptr<Connection> m_connection;
    Display* m_display;
    Window m_root;
    bool m_hasRandr12 = false;
    int m_randrEventBase = 0;
    int m_listenerId = 0;
    bool m_known = false;
    std::uint64_t m_generation = 0;
    std::vector<Crtc> m_crtcs;
    std::vector<Rect> m_monitors;
    std::vector<Rect> m_shown;
};

} // namespace tintora::x11
