#include "platform/wlroots/overlay_keys.h"

#include <string_view>

namespace tintora::wlroots {

namespace {

// The letters of the three letter rows, from the evdev code of each row's
// first key.
int letterAtPlace(std::uint32_t code)
{
    constexpr struct {
        std::uint32_t first;
        std::string_view letters;
    } rows[] = {{16, "QWERTYUIOP"}, {30, "ASDFGHJKL"}, {44, "ZXCVBNM"}};
    for (const auto& row : rows)
        if (code >= row.first && code < row.first + row.letters.size()) return row.letters[code - row.first];
    return keys::Unknown;
}

} // namespace

int keyOfSymbol(std::uint32_t keysym, std::uint32_t evdevCode)
{
    using namespace keys;
    // The X11 keysyms, which XKB keeps.
    switch (keysym) {
    case 0xff1b: return Escape;
    case 0xff09:
    case 0xfe20: return Tab; // Tab, and Tab with Shift (ISO_Left_Tab)
    case 0xff0d:
    case 0xff8d: return Return; // Return, and the keypad's Enter
    case 0x20: return Space;
    case 0xff51: return Left;
    case 0xff52: return Up;
    case 0xff53: return Right;
    case 0xff54: return Down;
    case 0xffbe: return F1;
    case 0xffab: return KeypadAdd;
    case 0xffad: return KeypadSubtract;
    case '=':
    case '+': return Plus;
    case '-':
    case '_': return Minus;
    default: break;
    }
    if (keysym >= '0' && keysym <= '9') return static_cast<int>(keysym);
    if (keysym >= 'a' && keysym <= 'z') return static_cast<int>(keysym - 'a' + 'A');
    if (keysym >= 'A' && keysym <= 'Z') return static_cast<int>(keysym);
    // No symbol, or a function or modifier key's: no letter either.
    if (keysym == 0 || (keysym >= 0xfe00 && keysym <= 0xffff)) return Unknown;
    return letterAtPlace(evdevCode);
}

ModifierChanges modifierChanges(HeldModifiers before, HeldModifiers after)
{
    ModifierChanges result;
    HeldModifiers now = before;
    auto change = [&](bool HeldModifiers::*which, int key) {
        if (before.*which == after.*which) return;
        now.*which = after.*which;
        result.changes[result.count++] = {{key, now.shift, now.ctrl, now.alt, false}, after.*which};
    };
    change(&HeldModifiers::shift, keys::Shift);
    change(&HeldModifiers::ctrl, keys::Control);
    change(&HeldModifiers::alt, keys::Alt);
    return result;
}

} // namespace tintora::wlroots
