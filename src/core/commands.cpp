#include "core/commands.h"

#include <algorithm>

namespace tintora {

const KeyBindings& mainWindowBindings()
{
    using namespace keys;
    static const KeyBindings bindings = {
        {.command = Command::ToggleHelp, .shortcut = F1},
        {.command = Command::CloseWindow, .shortcut = Escape},
        {.command = Command::ToggleMagnifier, .shortcut = CtrlBit | 'M', .secondaryShortcuts = {Tab}},
        {.command = Command::ToggleHexadecimal, .shortcut = CtrlBit | 'H'},
        {.command = Command::CopyBitmapColour, .shortcut = CtrlBit | 'C'},
        {.command = Command::CopyLutColour, .shortcut = CtrlBit | AltBit | 'C'},
        {.command = Command::ToggleFreeze, .shortcut = Space},
        {.command = Command::ToggleAlwaysOnTop, .shortcut = CtrlBit | 'T'},
        {.command = Command::ToggleFractions, .shortcut = CtrlBit | 'D'},
        {.command = Command::CloseProgram, .shortcut = 'I', .secondaryShortcuts = {CtrlBit | 'I'}},
        {.command = Command::ShowSettings, .shortcut = CtrlBit | 'S'},
        {.command = Command::ToggleLutCurves, .shortcut = CtrlBit | 'L'},
        {.command = Command::PickFromScreen, .shortcut = 'P'},
    };
    return bindings;
}

const KeyBindings& lutWindowBindings()
{
    static const KeyBindings bindings = {
        {.command = Command::CloseWindow, .shortcut = keys::Escape, .secondaryShortcuts = {CtrlBit | 'L'}},
    };
    return bindings;
}

const KeyBindings& helpWindowBindings()
{
    static const KeyBindings bindings = {
        {.command = Command::CloseWindow, .shortcut = keys::Escape, .secondaryShortcuts = {keys::F1}},
    };
    return bindings;
}

const KeyBindings& settingsDialogBindings()
{
    static const KeyBindings bindings = {
        {.command = Command::CloseWindow, .shortcut = keys::Escape, .secondaryShortcuts = {CtrlBit | 'S'}},
    };
    return bindings;
}

std::optional<Command> commandFor(const KeyBindings& bindings, const KeyChord& key)
{
    if (key.altGr || key.key == keys::Unknown) return std::nullopt;
    const int code = shortcutCode(key);
    for (const KeyBinding& b : bindings) {
        if (b.shortcut == code ||
            std::find(b.secondaryShortcuts.begin(), b.secondaryShortcuts.end(), code) != b.secondaryShortcuts.end())
            return b.command;
    }
    return std::nullopt;
}

} // namespace tintora
