#pragma once

#include "platform/keyboard.h"

namespace tintora::wayland {

// Keys as Qt's Wayland plugin reports them: the scan code is the keyboard's
// XKB keycode (the evdev code plus 8), the virtual key the keysym at the
// level in force. A Wayland client is handed no keymap it can ask about
// other layouts, so the keys are told by their place on the keyboard.
class WaylandKeyboard final : public Keyboard {
public:
    ModifierKey modifierOf(PhysicalKey key) override;
    std::optional<char> latinLetterOf(PhysicalKey key) override;
};

} // namespace tintora::wayland
