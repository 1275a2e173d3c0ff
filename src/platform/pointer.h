#pragma once

#include <optional>
#include <string>

#include "core/geometry.h"
#include "platform/interface.h"

namespace tintora {

// The pointer speed scale: 1 slowest, 20 fastest. UserSpeed is the user's
// own setting as the program found it, whatever that is on this system.
constexpr int MinPointerSpeed = 1;
constexpr int MaxPointerSpeed = 20;
constexpr int UserSpeed = 10;

class Pointer : public Interface {
public:
    // Pointer position in physical pixels, or nothing when it cannot be read.
    virtual std::optional<Point> position() = 0;

    // Whether moveTo() can put the pointer anywhere on this system.
    virtual bool canMovePointer() = 0;

    // Puts the pointer at p at once (a warp: no motion, so neither the speed
    // nor a confinement changes where it lands). Does nothing when moving is
    // unavailable.
    virtual void moveTo(Point p) = 0;

    // Whether setSpeed() can change the pointer speed on this system.
    virtual bool canSetPointerSpeed() = 0;

    // Why it cannot, in the system's own terms, for the notice at the start
    // ("the X server offers no X Input extension ..."); empty where it can.
    virtual std::string pointerSpeedRefusal() = 0;

    // The system-wide pointer speed, 1-20, or 0 when it cannot be read.
    virtual int speed() = 0;

    // Sets the system-wide pointer speed, 1-20, for every pointing device,
    // including those plugged in later. UserSpeed gives the user's own
    // state back exactly. Values outside 1-20 are ignored.
    virtual void setSpeed(int speed) = 0;

    // Whether confine() can hold the pointer on this system.
    virtual bool canConfinePointer() = 0;

    // Keeps the pointer inside rect (right and bottom exclusive), replacing
    // any earlier confinement. Does nothing when confinement is unavailable.
    virtual void confine(Rect rect) = 0;

    // Lifts the confinement, if any.
    virtual void release() = 0;
};

} // namespace tintora
