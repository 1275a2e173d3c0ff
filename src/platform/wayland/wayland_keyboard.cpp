#include "platform/wayland/wayland_keyboard.h"

#include <string_view>

namespace tintora::wayland {

namespace {

// XKB keycodes of the standard keyboard.
constexpr std::uint32_t LeftShift = 50, RightShift = 62, LeftControl = 37, RightControl = 105, LeftAlt = 64,
                        RightAlt = 108;
constexpr std::uint32_t LowestKeycode = 8, HighestKeycode = 255;
// The keysym a layout gives a right Alt it uses as AltGr.
constexpr std::uint32_t Level3Shift = 0xfe03;

bool isLatinLetterSymbol(std::uint32_t symbol) { return (symbol >= 'a' && symbol <= 'z') || (symbol >= 'A' && symbol <= 'Z'); }

// The letters of the three letter rows, from the keycode of each row's first
// key, where a QWERTY layout has them.
char qwertyLetter(std::uint32_t keycode)
{
    constexpr struct {
        std::uint32_t first;
        std::string_view letters;
    } rows[] = {{24, "QWERTYUIOP"}, {38, "ASDFGHJKL"}, {52, "ZXCVBNM"}};
    for (const auto& row : rows)
        if (keycode >= row.first && keycode < row.first + row.letters.size()) return row.letters[keycode - row.first];
    return 0;
}

} // namespace

ModifierKey WaylandKeyboard::modifierOf(PhysicalKey key)
{
    switch (key.scanCode) {
    case LeftShift:
    case RightShift: return ModifierKey::Shift;
    case LeftControl:
    case RightControl: return ModifierKey::Control;
    case LeftAlt: return ModifierKey::Alt;
    case RightAlt: return key.virtualKey == Level3Shift ? ModifierKey::Other : ModifierKey::Alt;
    default: return ModifierKey::Other;
    }
}

std::optional<char> WaylandKeyboard::latinLetterOf(PhysicalKey key)
{
    if (key.scanCode < LowestKeycode || key.scanCode > HighestKeycode) return std::nullopt;
    // A Latin layout in force names the letter itself; otherwise the key's
    // place on a QWERTY keyboard does.
    if (isLatinLetterSymbol(key.virtualKey)) return static_cast<char>(key.virtualKey & ~0x20u);
    return qwertyLetter(key.scanCode);
}

} // namespace tintora::wayland
