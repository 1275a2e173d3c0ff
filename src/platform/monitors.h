#pragma once

#include <vector>

#include "core/geometry.h"
#include "platform/interface.h"

namespace tintora {

// Where the monitors stand on the virtual desktop, and the part of each that
// windows may use.
class Monitors : public Interface {
public:
    // Bounding rectangle of all monitors.
    virtual Rect virtualDesktop() = 0;

    // Rectangles of the monitors, the primary one first.
    virtual std::vector<Rect> monitors() = 0;

    // Whether the work areas below are the system's: false where it does not
    // tell a program where its panels and docks are (Wayland), and each work
    // area is then the whole monitor.
    virtual bool knowsWorkAreas() = 0;

    // Work area (the monitor less panels and docks) of the primary monitor.
    virtual Rect primaryWorkArea() = 0;

    // Work area of the monitor that holds p, or of the nearest monitor.
    virtual Rect workAreaAt(Point p) = 0;
};

} // namespace tintora
