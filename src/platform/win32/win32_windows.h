#pragma once

#include "platform/windows.h"

namespace tintora::win32 {

// The topmost band through SetWindowPos.
class Win32Windows final : public Windows {
public:
    void setTopmost(NativeWindow window, bool topmost) override;
};

} // namespace tintora::win32
