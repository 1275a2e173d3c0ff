#include "pointer/pointer_aids.h"

#include "core/commands.h"

namespace tintora {

std::optional<Point> nudgeTarget(Point p, int key, bool rowLocked, bool columnLocked, const Rect& desktop)
{
    Point target = p;
    switch (key) {
    case keys::Left: target.x -= 1; break;
    case keys::Right: target.x += 1; break;
    case keys::Up: target.y -= 1; break;
    case keys::Down: target.y += 1; break;
    default: return std::nullopt;
    }
    if ((rowLocked && target.y != p.y) || (columnLocked && target.x != p.x)) return std::nullopt;
    if (!desktop.contains(target)) return std::nullopt;
    return target;
}

void applySlowPointer(const ProgramState& state, Pointer& pointer)
{
    if (state.options.slowPointer) pointer.setSpeed(MinPointerSpeed);
}

void inversionKeyDown(const ProgramState& state, Pointer& pointer, bool ctrlHeld)
{
    if (ctrlHeld) pointer.setSpeed(invertedSpeed(state));
}

void inversionKeyUp(const ProgramState& state, Pointer& pointer) { pointer.setSpeed(configuredSpeed(state)); }

} // namespace tintora
