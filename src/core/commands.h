#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tintora {

// A shortcut: a key code plus these bits for the modifiers held.
constexpr int ShiftBit = 0x2000;
constexpr int CtrlBit = 0x4000;
constexpr int AltBit = 0x8000;

// Key codes the shortcuts and key handlers use (the common virtual-key
// numbering: letters and digits are their upper-case character codes).
namespace keys {
constexpr int Tab = 9;
constexpr int Return = 13;
constexpr int Shift = 16;
constexpr int Control = 17;
constexpr int Alt = 18;
constexpr int Escape = 27;
constexpr int Space = 32;
constexpr int Left = 37;
constexpr int Up = 38;
constexpr int Right = 39;
constexpr int Down = 40;
constexpr int F1 = 112;
constexpr int KeypadAdd = 0x6B;
constexpr int KeypadSubtract = 0x6D;
constexpr int Plus = 0xBB;  // the "=" / "+" key of the main keyboard
constexpr int Minus = 0xBD; // the "-" / "_" key of the main keyboard
constexpr int Unknown = 0;
} // namespace keys

// One key event as the dispatch and the key handlers see it.
struct KeyChord {
    int key = keys::Unknown;
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
    bool altGr = false; // the right Alt acting as AltGr: no command matches
};

constexpr int shortcutCode(const KeyChord& k)
{
    return k.key | (k.shift ? ShiftBit : 0) | (k.ctrl ? CtrlBit : 0) | (k.alt ? AltBit : 0);
}

// What a key can ask a window to do.
enum class Command {
    ToggleHelp,         // show or hide the help window
    CloseWindow,        // the main window: hide the magnifier, or end the program when it is hidden;
                        // the help window and the settings dialog: close
    ToggleMagnifier,
    ToggleHexadecimal,
    CopyBitmapColour,
    CopyLutColour,
    ToggleFreeze,
    ToggleAlwaysOnTop,
    ToggleFractions,
    CloseProgram,
    ShowSettings,
    ToggleLutCurves,    // show or hide the window of the ramp's curves
    PickFromScreen,     // the pick mode, where the session tells the pointer only to it (wlroots)
};

// A command and the shortcuts that run it.
struct KeyBinding {
    Command command;
    int shortcut = 0;
    std::vector<int> secondaryShortcuts;
};

// A window's shortcuts, searched in order.
using KeyBindings = std::vector<KeyBinding>;

// The main window's shortcuts. Order matters: the first match wins.
const KeyBindings& mainWindowBindings();
// The LUT window's: Esc and Ctrl+L hide it.
const KeyBindings& lutWindowBindings();
// The help window's: Esc and F1 close it.
const KeyBindings& helpWindowBindings();
// The settings dialog's: Esc and Ctrl+S close it.
const KeyBindings& settingsDialogBindings();

// The first command, in table order, whose shortcut or one of whose
// secondary shortcuts equals the key's code exactly. Nothing for AltGr.
std::optional<Command> commandFor(const KeyBindings& bindings, const KeyChord& key);

} // namespace tintora
