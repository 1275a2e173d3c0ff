#include "core/commands.h"

#include <algorithm>

namespace tintora {

const KeyBindings& mainWindowBindings()
{
    using namespace keys;
    static const KeyBindings bindings = {
        {Command::ToggleHelp, F1, {}},
        {Command::CloseWindow, Escape, {}},
        {Command::ToggleMagnifier, CtrlBit | 'M', {Tab}},
        {Command::ToggleHexadecimal, CtrlBit | 'H', {}},
        {Command::CopyBitmapColour, CtrlBit | 'C', {}},
        {Command::CopyLutColour, CtrlBit | AltBit | 'C', {}},
        {Command::ToggleFreeze, Space, {}},
        {Command::ToggleAlwaysOnTop, CtrlBit | 'T', {}},
        {Command::ToggleFractions, CtrlBit | 'D', {}},
        {Command::CloseProgram, 'I', {CtrlBit | 'I'}},
        {Command::ShowSettings, CtrlBit | 'S', {}},
        {Command::ToggleLutCurves, CtrlBit | 'L', {}},
    };
    return bindings;
}

const KeyBindings& lutWindowBindings()
{
    static const KeyBindings bindings = {{Command::CloseWindow, keys::Escape, {CtrlBit | 'L'}}};
    return bindings;
}

const KeyBindings& helpWindowBindings()
{
    static const KeyBindings bindings = {{Command::CloseWindow, keys::Escape, {keys::F1}}};
    return bindings;
}

const KeyBindings& settingsDialogBindings()
{
    static const KeyBindings bindings = {{Command::CloseWindow, keys::Escape, {CtrlBit | 'S'}}};
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

std::string errorBoxText(const std::string& message)
{
    if (message.empty()) return message;
    const auto last = static_cast<unsigned char>(message.back());
    // UTF-8: a last byte of 0x80 and above belongs to a character above ".".
    return last > static_cast<unsigned char>('.') ? message + "." : message;
}

} // namespace tintora
