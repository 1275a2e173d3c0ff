#include "probe/probe_tick.h"

#include "probe/lut.h"

namespace tintora {

Point samplePointer(ProgramState& state, Screen& screen, Pointer& pointer)
{
    const Point p = pointer.position().value_or(Point{0, 0});
    sampleAt(state, screen, p);
    return p;
}

void sampleAt(ProgramState& state, Screen& screen, Point p)
{
    // A failed read is InvalidColour, which splits into (255, 255, 255).
    state.bitmapColour = rgbFromColourValue(screen.pixel(p));
    screen.gammaRamp(p, state.gammaRamp);
    state.lutColour = mapThroughRamp(state.gammaRamp, state.bitmapColour);
}

} // namespace tintora
