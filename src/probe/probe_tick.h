#pragma once

#include "platform/pointer.h"
#include "platform/screen.h"
#include "core/program_state.h"

namespace tintora {

// The sampling part of one probe tick: reads the pointer position ((0, 0) when
// unreadable), the pixel under it into bitmapColour, the ramp of the display
// there into reading (with its output's name and size) and the state's
// gammaRamp, and maps the pixel through the ramp into lutColour. reading is
// kept by the caller from tick to tick, so its storage is reused; its size is
// 0 after a tick that could read no ramp, the state's ramp then kept as it
// was. Returns the position it sampled.
Point samplePointer(ProgramState& state, Screen& screen, Pointer& pointer, RampReading& reading);

// The same for a position already read in this tick.
void sampleAt(ProgramState& state, Screen& screen, Point p, RampReading& reading);

} // namespace tintora
