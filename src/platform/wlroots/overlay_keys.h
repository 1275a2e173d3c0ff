#pragma once

// Keys as a Wayland compositor sends them to a surface of the program's own
// connection (the wlroots pick overlay), turned into the key events the main
// window's commands and pointer aids read. Pure, so the tables are
// unit-tested: the overlay reads the symbol and the modifiers through the
// keymap the compositor sends.

#include <cstdint>

#include "core/commands.h"

namespace tintora::wlroots {

// The program's key code (core/commands.h) of a key by the symbol the
// keymap gives it (an XKB keysym); a key whose symbol is no Latin letter
// (a Cyrillic layout's, say) is told by its place on the keyboard, its
// evdev code. keys::Unknown for keys no command or aid uses, and for the
// modifiers, which come apart (modifierChanges).
int keyOfSymbol(std::uint32_t keysym, std::uint32_t evdevCode);

struct HeldModifiers {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
    bool operator==(const HeldModifiers&) const = default;
};

// A modifier pressed or released between two states, as the key events the
// main window's pointer aids expect: keys::Shift, Control or Alt, with the
// modifiers held after it. Up to three, in the order Shift, Control, Alt;
// count says how many.
struct ModifierChanges {
    struct Change {
        KeyChord key;
        bool pressed = false;
    };
    Change changes[3];
    int count = 0;
};
ModifierChanges modifierChanges(HeldModifiers before, HeldModifiers after);

} // namespace tintora::wlroots
