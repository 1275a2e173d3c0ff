#pragma once

#include <memory>

#include "platform/keyboard.h"
#include "platform/x11/x11_connection.h"

namespace tintora::x11 {

// The keyboard as the X server's keyboard extension (XKB) describes it. Keys
// are X keycodes (the scan codes of Qt's key events). The keymap is read
// afresh for every question, so a layout changed while the program runs
// (setxkbmap, the desktop's layout switcher) counts at once.
class X11Keyboard final : public Keyboard {
public:
    explicit X11Keyboard(std::shared_ptr<Connection> connection);

    ModifierKey modifierOf(PhysicalKey key) override;
    std::optional<char> latinLetterOf(PhysicalKey key) override;

private:
    std::shared_ptr<Connection> m_connection;
    bool m_hasXkb = false;
};

} // namespace tintora::x11
