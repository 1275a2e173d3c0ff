#include "probe/probe_tick.h"

#include "probe/lut.h"

namespace tintora {

Point samplePointer(ProgramState& state, Screen& screen, Pointer& pointer, RampReading& reading)
{
    const Point p = pointer.position().value_or(Point{0, 0});
    sampleAt(state, screen, p, reading);
    return p;
}

void sampleAt(ProgramState& state, Screen& screen, Point p, RampReading& reading)
{
    // A failed read is InvalidColour, which splits into (255, 255, 255).
    state.bitmapColour = rgbFromColourValue(screen.pixels->pixel(p));
    if (screen.ramps->rampAt(p, reading)) {
        state.gammaRamp = reading.ramp;
    } else {
        reading.size = 0;
        reading.output.clear();
    }
    state.lutColour = mapThroughRamp(state.gammaRamp, state.bitmapColour);
}

} // namespace tintora
