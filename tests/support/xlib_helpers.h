#pragma once

// Small Xlib reading helpers shared by the tests that talk to the server
// directly.

#include <X11/Xlib.h>
#include <string>

#include "support/xvfb.h"

namespace tintora::test {

// A pixel value of the visual as three 8-bit levels.
Colour colourOf(unsigned long pixel, const Visual* visual);

// A text property of a window (format 8), empty when it has none.
std::string textProperty(Display* display, Window window, Atom property, Atom type);

} // namespace tintora::test
