#include "platform/win32/win32_clipboard.h"

#include <cstring>

#include "platform/win32/win32_text.h"

namespace tintora::win32 {

Win32Clipboard::~Win32Clipboard()
{
    if (m_owner) DestroyWindow(m_owner);
}

HWND Win32Clipboard::owner()
{
    if (!m_owner)
        m_owner = CreateWindowExW(0, L"STATIC", L"Tintora clipboard", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    return m_owner;
}

std::string Win32Clipboard::setText(const std::string& text)
{
    const std::wstring wide = wideFromUtf8(text);
    const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);

    // Another program may hold the clipboard open for a moment (a clipboard
    // viewer reading what was just copied): a few short tries.
    bool open = false;
    for (int attempt = 0; attempt < 5 && !open; ++attempt) {
        if (attempt) Sleep(10);
        open = OpenClipboard(owner());
    }
    if (!open) return systemErrorText(GetLastError());

    std::string error;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    void* target = memory ? GlobalLock(memory) : nullptr;
    if (!target) {
        error = systemErrorText(GetLastError());
    } else {
        std::memcpy(target, wide.c_str(), bytes);
        GlobalUnlock(memory);
        if (!EmptyClipboard()) {
            error = systemErrorText(GetLastError());
        } else if (SetClipboardData(CF_UNICODETEXT, memory)) {
            memory = nullptr; // the system's now
        } else {
            error = systemErrorText(GetLastError());
        }
    }
    if (memory) GlobalFree(memory);
    CloseClipboard();
    return error;
}

} // namespace tintora::win32
