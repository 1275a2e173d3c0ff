#include "pointer/pointer_aids.h"

namespace tintora {

void applySlowPointer(const ProgramState& state, Pointer& pointer)
{
    if (state.slowPointer) pointer.setSpeed(MinPointerSpeed);
}

void inversionKeyDown(const ProgramState& state, Pointer& pointer, bool ctrlHeld)
{
    if (ctrlHeld) pointer.setSpeed(invertedSpeed(state));
}

void inversionKeyUp(const ProgramState& state, Pointer& pointer) { pointer.setSpeed(configuredSpeed(state)); }

} // namespace tintora
