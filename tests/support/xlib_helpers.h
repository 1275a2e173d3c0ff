#pragma once

// Small Xlib helpers shared by the tests and benchmarks that talk to the
// server directly. Only .cpp files include this header: Xlib's macros clash
// with gtest's and Qt's names.

#include <X11/Xlib.h>
#include <string>
#include <vector>

#include "support/xvfb.h"

namespace tintora::test {

// While alive, X errors on any connection are counted instead of ending the
// process (a window may vanish between listing it and asking about it).
class XErrorTrap {
public:
    explicit XErrorTrap(Display* display);
    ~XErrorTrap();
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

    // Whether a request made since the trap was set failed.
    bool failedAfterSync();

private:
    static int record(Display*, XErrorEvent*);
    static inline int s_errors = 0;
    Display* m_display;
    int (*m_previous)(Display*, XErrorEvent*);
};

// A pixel value of the visual as three 8-bit levels.
Colour colourOf(unsigned long pixel, const Visual* visual);

// A text property of a window (format 8), empty when it has none.
std::string textProperty(Display* display, Window window, Atom property, Atom type);

// The children of a window, bottom first.
std::vector<Window> childrenOf(Display* display, Window parent);

} // namespace tintora::test
