#pragma once

#include <optional>

#include "platform/geometry.h"
#include "platform/pointer.h"
#include "core/program_state.h"

namespace tintora {

// The pointer speed the slow-pointer option asks for.
constexpr int configuredSpeed(const ProgramState& s) { return s.options.slowPointer ? MinPointerSpeed : s.userPointerSpeed; }

// The speed while Ctrl inverts the option.
constexpr int invertedSpeed(const ProgramState& s) { return s.options.slowPointer ? s.userPointerSpeed : MinPointerSpeed; }

// The one-pixel row through p across the desktop (right, bottom exclusive).
constexpr Rect rowThrough(Point p, const Rect& desktop) { return {desktop.left(), p.y, desktop.width, 1}; }

// The one-pixel column through p across the desktop.
constexpr Rect columnThrough(Point p, const Rect& desktop) { return {p.x, desktop.top(), 1, desktop.height}; }

// Where an arrow key (keys::Left, Up, Right, Down) moves the pointer from p:
// exactly one pixel, along an axis the locks leave free (the row lock holds
// the row, so Up and Down do nothing under it; the column lock likewise Left
// and Right). Nothing for other keys, a held axis, or a target outside the
// desktop.
std::optional<Point> nudgeTarget(Point p, int key, bool rowLocked, bool columnLocked, const Rect& desktop);

// Re-applies the slow speed when the option is on; otherwise does nothing.
void applySlowPointer(const ProgramState& state, Pointer& pointer);

// The Ctrl inversion of the help window and the settings dialog: a press with
// Ctrl held sets the inverted speed, any release the configured one.
void inversionKeyDown(const ProgramState& state, Pointer& pointer, bool ctrlHeld);
void inversionKeyUp(const ProgramState& state, Pointer& pointer);

} // namespace tintora
