#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/commands.h"
#include "core/program_state.h"
#include "core/geometry.h"
#include "platform/pointer.h"
#include "platform/monitors.h"

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

// What the program says at its start about the pointer aids the system
// refuses it (Wayland refuses all three), one line each, to follow
// "tintora: "; none where everything is allowed. The aids themselves do
// nothing there: no speed is set, no lock taken, no warp made.
std::vector<std::string> refusedPointerAids(Pointer& pointer);

// The pointer aids of the program's keys, with one owner for all its windows.
// In the main window Alt holds the pointer on the row it is on and Shift on
// its column (through Pointer::confine), each from its press to its release;
// the arrow keys move it one pixel as the locks allow; Ctrl inverts the
// slow-pointer option while it is down. In the program's other windows Ctrl
// only inverts the speed, and any release sets the configured one again. The
// held Alt and Ctrl of the main window are kept in the program state.
//
// Each aid asks the pointer only what the system allows it. Once the close
// has given the pointer back (giveBack), or the display has gone
// (stopWithoutGivingBack), nothing here touches the pointer again, whichever
// window a key comes from.
class PointerAids {
public:
    PointerAids(ProgramState& state, Pointer& pointer, Monitors& monitors);

    // A press or a release in the main window, with the modifiers held once
    // it has happened.
    void keyDown(const KeyChord& key);
    void keyUp(const KeyChord& key);
    // A press or a release in another window of the program (help, settings,
    // LUT): a press with Ctrl held sets the inverted speed, any release the
    // configured one.
    void otherWindowKeyDown(const KeyChord& key);
    void otherWindowKeyUp(const KeyChord& key);

    // Sets the slow speed again when the option is on; otherwise does nothing.
    void applySlowPointer();
    // Sets the speed the options ask for (the slow pointer just changed).
    void applyConfiguredSpeed();

    // Ends both locks; the confinement is lifted only when one held.
    void releaseLocks();
    // Sets the speed the option asks for, unless the pointer has it already.
    void restoreConfiguredSpeed();
    // Ends the locks and the inversion for keys whose releases will not
    // arrive (another program or a box takes them): Alt and Ctrl count as up.
    void lift();
    // At the close: the user's own speed and a free pointer, whatever keys
    // are still down; from then on nothing touches the pointer.
    void giveBack();
    // The display has gone: nothing can be given back, and nothing touches
    // the pointer from now on.
    void stopWithoutGivingBack();

    bool rowLocked() const { return m_rowLocked; }
    bool columnLocked() const { return m_columnLocked; }
    // The pointer's position when the latest lock began.
    Point lockStart() const { return m_lockStart; }

private:
    // Moves the pointer one pixel for an arrow key, as the locks allow.
    void nudge(int key);
    // The one place a speed is set: nowhere the system refuses it.
    void setSpeed(int speed);
    // Lifts any confinement, where the system confines at all.
    void freePointer();

    ProgramState& m_state;
    Pointer& m_pointer;
    Monitors& m_monitors;
    Point m_lockStart;
    bool m_rowLocked = false;    // held on one row (Alt)
    bool m_columnLocked = false; // held on one column (Shift)
    bool m_over = false;         // the close gave the pointer back, or the display went
};

} // namespace tintora
