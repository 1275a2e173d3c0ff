#pragma once

#include "platform/keyboard.h"

namespace tintora::win32 {

// The keyboard as Windows names its keys: by virtual-key code, which for the
// letter keys is the letter whatever the active layout types on them (in a
// Russian layout the key of "С" is VK_C), as Windows programs' shortcuts go.
class Win32Keyboard final : public Keyboard {
public:
    ModifierKey modifierOf(PhysicalKey key) override;
    std::optional<char> latinLetterOf(PhysicalKey key) override;
};

} // namespace tintora::win32
