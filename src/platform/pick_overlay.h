#pragma once

#include <string>

#include "core/commands.h"
#include "core/geometry.h"
#include "platform/interface.h"

namespace tintora {

// What the pick overlay tells the program, on the user-interface thread.
class PickOverlayListener {
public:
    // The primary button went down at p (screen pixels).
    virtual void pickClicked(Point p) = 0;
    // A key went down or up on the overlay, with the modifiers held once it
    // has happened (a modifier alone comes as keys::Shift, Control or Alt).
    virtual void pickKey(const KeyChord& key, bool pressed) = 0;
    // The compositor took the overlay away (an output went, say): the pick
    // mode is over without the program asking.
    virtual void pickOverlayClosed() = 0;

protected:
    ~PickOverlayListener() = default;
};

// Where the system tells no program where the pointer is over the others'
// windows (wlroots compositors), a transparent surface laid over every
// output learns it: while the overlay is shown the pointer's motion, its
// clicks and the keys go to the program and not to the windows below, and
// Pointer::position() follows it. Backends whose pointer is known anywhere
// have none.
class PickOverlay : public Interface {
public:
    // Who hears the overlay's clicks and keys; nullptr: nobody.
    virtual void setListener(PickOverlayListener* listener) = 0;
    // Lays the overlay over every output. False, with why said, when the
    // compositor does not take it.
    virtual bool show(std::string& why) = 0;
    // Takes the overlay away; the pointer's position is unknown again.
    virtual void hide() = 0;
    virtual bool shown() = 0;
};

} // namespace tintora
