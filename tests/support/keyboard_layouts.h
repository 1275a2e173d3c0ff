#pragma once

// The keyboard layouts of a private Xvfb, set as a user's desktop sets them.
// Xlib stays out of this header (its macros clash with gtest).

#include <string>

#include "support/xvfb.h"

namespace tintora::test {

// Gives the server's keyboard these layouts ("us,ru") with setxkbmap; an error
// text, or empty.
std::string setKeyboardLayouts(const Xvfb& server, const std::string& layouts);

// Makes layout group (0 the first layout) the active one, as a layout
// switcher does, and waits until the server reports it.
bool activateLayout(Xvfb& server, int group);

} // namespace tintora::test
