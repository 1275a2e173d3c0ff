#pragma once

#include "platform/clipboard.h"
#include "platform/win32/win32_api.h"

namespace tintora::win32 {

// The system clipboard with one Unicode text item. The text is handed to the
// system whole (no delayed rendering), so it stays after the program ends.
class Win32Clipboard final : public Clipboard {
public:
    Win32Clipboard() = default;
    ~Win32Clipboard() override;
    std::string setText(const std::string& text) override;
    void keepAfterExit() override {}

private:
    // The clipboard needs an owner window for SetClipboardData to succeed:
    // a message-only window of the backend's own.
    HWND owner();
    HWND m_owner = nullptr;
};

} // namespace tintora::win32
