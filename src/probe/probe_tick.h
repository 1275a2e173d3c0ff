#pragma once

#include "platform/pointer.h"
#include "platform/screen.h"
#include "core/program_state.h"

namespace tintora {

// The sampling part of one probe tick: reads the pointer position ((0, 0) when
// unreadable), the pixel under it into BitmapColor, the ramp of the display
// there into GammaRamp (kept as it was when unreadable), and maps the pixel
// through the ramp into LutColor. Returns the position it sampled.
Point samplePointer(ProgramState& state, Screen& screen, Pointer& pointer);

// The same for a position already read in this tick.
void sampleAt(ProgramState& state, Screen& screen, Point p);

// The same, the ramp read with the name and size of its output into reading,
// which the tick keeps (so its storage is reused): reading.size is 0 after a
// tick that could read no ramp, the state's ramp then kept as it was.
Point samplePointer(ProgramState& state, Screen& screen, Pointer& pointer, RampReading& reading);
void sampleAt(ProgramState& state, Screen& screen, Point p, RampReading& reading);

} // namespace tintora
