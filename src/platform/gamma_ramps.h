#pragma once

#include <vector>

#include "core/colour_types.h"
#include "core/geometry.h"
#include "platform/interface.h"

namespace tintora {

// The gamma ramps the display adapter has loaded, one per output.
class GammaRamps : public Interface {
public:
    // Whether this system offers a gamma ramp at all.
    virtual bool canReadGammaRamp() = 0;

    // Fills reading with the ramp of the display that shows p, the name of
    // the output whose ramp it is and that ramp's own size. Reuses reading's
    // storage, so a reading kept from tick to tick costs no allocation.
    // False, reading untouched, when that ramp cannot be read or no display
    // with a ramp shows p: a point beside or between the monitors, or on a
    // monitor without a ramp of its own (a virtual one), gets no other
    // monitor's ramp, which says nothing of what is seen there.
    virtual bool rampAt(Point p, RampReading& reading) = 0;

    // The ramps of every output that shows something, in the system's order;
    // outputs whose ramp cannot be read are left out.
    virtual std::vector<RampReading> allRamps() = 0;
};

} // namespace tintora
