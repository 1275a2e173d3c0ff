#pragma once

#include "platform/windows.h"

namespace tintora::win32 {

// The topmost band through SetWindowPos.
class Win32Windows final : public Windows {
public:
    bool canKeepOnTop() override { return true; }
    void setTopmost(NativeWindow window, bool topmost) override;
    // Windows gives every window without an owner its task bar button; the
    // magnifier keeps its own there, captioned "Magnifier".
    void leaveOutOfTaskBar(NativeWindow) override {}
    bool canPlaceWindows() override { return true; }
};

} // namespace tintora::win32
