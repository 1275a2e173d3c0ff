#pragma once

#include <cstdint>
#include <optional>

#include "platform/interface.h"

namespace tintora {

// A key as the system names it in a key event, whatever the layout makes of
// it: the scan code (on X11 the keycode) and the system's virtual key (on X11
// the keysym, on Windows the virtual-key code). Each backend reads the one
// that identifies the key on its system.
struct PhysicalKey {
    std::uint32_t scanCode = 0;
    std::uint32_t virtualKey = 0;
};

enum class ModifierKey { Other, Shift, Control, Alt };

// What the program needs to know of the keyboard beyond the key events: which
// physical key is which, since the symbol a layout gives a key changes with
// the modifiers held (Alt after Shift is Meta on X11) and with the active
// layout (I is a Cyrillic letter in a Russian one).
class Keyboard : public Interface {
public:
    // Which of Shift, Ctrl and Alt the key is, by the key itself and not by
    // the symbol it has at the level in force; Other for every other key and
    // for keys the keyboard does not know. A right Alt that the layout uses
    // as AltGr is not Alt.
    virtual ModifierKey modifierOf(PhysicalKey key) = 0;

    // The Latin letter, 'A' to 'Z', that the key stands for in the first
    // Latin layout of the keyboard, whichever layout is active: 0 when it
    // carries no letter there; nothing when the keyboard cannot tell (no
    // Latin layout, a key it does not know).
    virtual std::optional<char> latinLetterOf(PhysicalKey key) = 0;
};

} // namespace tintora
