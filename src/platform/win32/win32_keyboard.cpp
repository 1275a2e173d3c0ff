#include "platform/win32/win32_keyboard.h"

#include "platform/win32/win32_api.h"

namespace tintora::win32 {

namespace {

// The scan code of a key event carries the extended-key flag at 0x100: a
// right Alt is 0x38 with it.
constexpr std::uint32_t ExtendedKey = 0x100;

// Whether the active layout types characters with Ctrl+Alt: then its right
// Alt key is AltGr (Windows sends it as Ctrl+Alt).
bool activeLayoutHasAltGr()
{
    const HKL layout = GetKeyboardLayout(0);
    for (wchar_t c = 0x21; c < 0x300; ++c) {
        const SHORT code = VkKeyScanExW(c, layout);
        if (code != -1 && (HIBYTE(code) & 6) == 6) return true;
    }
    return false;
}

} // namespace

ModifierKey Win32Keyboard::modifierOf(PhysicalKey key)
{
    switch (key.virtualKey) {
    case VK_SHIFT:
    case VK_LSHIFT:
    case VK_RSHIFT: return ModifierKey::Shift;
    case VK_CONTROL:
    case VK_LCONTROL:
    case VK_RCONTROL: return ModifierKey::Control;
    case VK_LMENU: return ModifierKey::Alt;
    case VK_MENU: // either Alt: the extended flag tells the right one
        if (!(key.scanCode & ExtendedKey)) return ModifierKey::Alt;
        [[fallthrough]];
    case VK_RMENU: return activeLayoutHasAltGr() ? ModifierKey::Other : ModifierKey::Alt;
    default: return ModifierKey::Other;
    }
}

std::optional<char> Win32Keyboard::latinLetterOf(PhysicalKey key)
{
    if (key.virtualKey == 0) return std::nullopt;
    // VK_A to VK_Z are the codes of 'A' to 'Z'.
    if (key.virtualKey >= 'A' && key.virtualKey <= 'Z') return static_cast<char>(key.virtualKey);
    return '\0';
}

} // namespace tintora::win32
