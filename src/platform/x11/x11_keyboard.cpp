#include "platform/x11/x11_keyboard.h"

#include <X11/XKBlib.h>
#include <X11/keysym.h>

namespace tintora::x11 {

namespace {

struct KeymapDeleter {
    void operator()(XkbDescPtr map) const
    {
        if (map) XkbFreeKeyboard(map, 0, True);
    }
};
using Keymap = std::unique_ptr<XkbDescRec, KeymapDeleter>;

Keymap readKeymap(Display* display)
{
    return Keymap(XkbGetMap(display, XkbKeyTypesMask | XkbKeySymsMask, XkbUseCoreKbd));
}

bool knownKey(const XkbDescRec& map, unsigned keycode)
{
    return keycode >= map.min_key_code && keycode <= map.max_key_code;
}

// The symbol at the first level of a key in a group; NoSymbol where the key
// has no such group.
KeySym firstLevelSymbol(XkbDescRec& map, unsigned keycode, int group)
{
    if (!knownKey(map, keycode) || group >= XkbKeyNumGroups(&map, keycode) || XkbKeyGroupWidth(&map, keycode, group) < 1)
        return NoSymbol;
    return XkbKeySymEntry(&map, keycode, 0, group);
}

bool isLatinLetter(KeySym s) { return (s >= XK_a && s <= XK_z) || (s >= XK_A && s <= XK_Z); }

// The first group in which some key gives a Latin letter at its first level:
// the first Latin layout. Nothing when no layout is Latin.
std::optional<int> firstLatinGroup(XkbDescRec& map)
{
    for (int group = 0; group < XkbNumKbdGroups; ++group) {
        bool anyKey = false;
        for (unsigned k = map.min_key_code; k <= map.max_key_code; ++k) {
            if (XkbKeyNumGroups(&map, k) <= group) continue;
            anyKey = true;
            if (isLatinLetter(firstLevelSymbol(map, k, group))) return group;
        }
        if (!anyKey) break;
    }
    return std::nullopt;
}

} // namespace

X11Keyboard::X11Keyboard(std::shared_ptr<Connection> connection) : m_connection(std::move(connection))
{
    int opcode = 0, event = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    m_hasXkb = XkbQueryExtension(m_connection->display(), &opcode, &event, &error, &major, &minor);
}

ModifierKey X11Keyboard::modifierOf(PhysicalKey key)
{
    Display* display = m_connection->display();
    XModifierKeymap* modifiers = XGetModifierMapping(display);
    if (!modifiers) return ModifierKey::Other;
    const Keymap map = m_hasXkb ? readKeymap(display) : Keymap();
    const int perRow = modifiers->max_keypermod;
    auto rowOf = [&](unsigned keycode) {
        for (int row = 0; row < 8; ++row)
            for (int i = 0; i < perRow; ++i)
                if (keycode != 0 && modifiers->modifiermap[row * perRow + i] == keycode) return row;
        return -1;
    };
    // Alt is the modifier that the Alt keys set (Mod1 nearly always). A key
    // in that row is Alt at every level, Meta_L after Shift included; a
    // right Alt that the layout made AltGr sets another modifier.
    // Without the keyboard extension, Mod1 as X's convention has it.
    auto isAltRow = [&](int row) {
        if (row < Mod1MapIndex) return false;
        if (!map) return row == Mod1MapIndex;
        for (int i = 0; i < perRow; ++i) {
            const KeySym s = firstLevelSymbol(*map, modifiers->modifiermap[row * perRow + i], 0);
            if (s == XK_Alt_L || s == XK_Alt_R) return true;
        }
        return false;
    };
    const int row = rowOf(key.scanCode);
    ModifierKey result = ModifierKey::Other;
    if (row == ShiftMapIndex)
        result = ModifierKey::Shift;
    else if (row == ControlMapIndex)
        result = ModifierKey::Control;
    else if (row >= 0 && isAltRow(row))
        result = ModifierKey::Alt;
    XFreeModifiermap(modifiers);
    return result;
}

std::optional<char> X11Keyboard::latinLetterOf(PhysicalKey key)
{
    if (!m_hasXkb) return std::nullopt;
    const Keymap map = readKeymap(m_connection->display());
    if (!map || !knownKey(*map, key.scanCode)) return std::nullopt;
    const auto latin = firstLatinGroup(*map);
    if (!latin) return std::nullopt;
    // A key defined for fewer groups than the keyboard has stands for the
    // same in every group: its first.
    const int group = *latin < XkbKeyNumGroups(map.get(), key.scanCode) ? *latin : 0;
    const KeySym s = firstLevelSymbol(*map, key.scanCode, group);
    if (s >= XK_a && s <= XK_z) return static_cast<char>('A' + (s - XK_a));
    if (s >= XK_A && s <= XK_Z) return static_cast<char>('A' + (s - XK_A));
    return '\0';
}

} // namespace tintora::x11
