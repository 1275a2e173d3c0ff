#include "platform/process.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QtGlobal>

#include <cstdio>
#include <iostream>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_text.h"

namespace tintora {

namespace {

// The end of the user's session (log off, shut down) arrives as
// WM_ENDSESSION; the process may be ended as soon as the message has been
// answered, so the close sequence runs before it is.
class SessionEndFilter final : public QAbstractNativeEventFilter {
public:
    explicit SessionEndFilter(std::function<void()> close) : m_close(std::move(close)) {}

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type != "windows_generic_MSG") return false;
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->message == WM_ENDSESSION && msg->wParam && m_close) {
            // Every top-level window gets the message; the close runs once.
            auto close = std::move(m_close);
            m_close = nullptr;
            close();
        }
        return false;
    }

private:
    std::function<void()> m_close;
};

} // namespace

// The C runtime counts descriptors 0, 1 and 2 as its own from the start,
// with or without a handle behind them (a program with windows gets none), so
// no file it opens later takes their number; and the display is reached
// through handles, never through its descriptors. Nothing to do; a stream
// without a handle is connectStandardStreams' to look after.
std::optional<ClosedStandardStreams> reserveStandardDescriptors() { return ClosedStandardStreams{}; }

void connectStandardStreams()
{
    const auto unconnected = [](DWORD which) {
        const HANDLE h = GetStdHandle(which);
        return h == nullptr || h == INVALID_HANDLE_VALUE;
    };
    const bool output = unconnected(STD_OUTPUT_HANDLE);
    const bool errors = unconnected(STD_ERROR_HANDLE);
    if (!output && !errors) return;
    // Started from a console window (cmd, PowerShell): write into it.
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    if (output) std::freopen("CONOUT$", "w", stdout);
    if (errors) std::freopen("CONOUT$", "w", stderr);
    std::cout.clear();
    std::cerr.clear();
}

void prepareToolkit() { qputenv("QT_QPA_PLATFORM", "windows"); }

void onEndRequest(std::function<void()> close)
{
    static SessionEndFilter* filter = nullptr;
    if (filter) return;
    filter = new SessionEndFilter(std::move(close));
    QCoreApplication::instance()->installNativeEventFilter(filter);
}

std::string executablePath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return win32::utf8FromWide(path);
        }
        path.resize(path.size() * 2);
    }
}

} // namespace tintora
