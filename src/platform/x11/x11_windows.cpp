#include "platform/x11/x11_windows.h"

#include <X11/Xatom.h>

namespace tintora::x11 {

namespace {

constexpr long NetWmStateRemove = 0;
constexpr long NetWmStateAdd = 1;
constexpr long SourceApplication = 1;

} // namespace

X11Windows::X11Windows(std::shared_ptr<Connection> connection) : m_connection(std::move(connection)) {}

void X11Windows::setTopmost(NativeWindow window, bool topmost)
{
    Display* d = m_connection->display();
    const Window w = static_cast<Window>(window);
    ErrorTrap trap(d);
    // The window manager keeps the band (_NET_WM_STATE_ABOVE); the request
    // goes to the root window, where window managers listen for it.
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = w;
    event.xclient.message_type = m_connection->atom("_NET_WM_STATE");
    event.xclient.format = 32;
    event.xclient.data.l[0] = topmost ? NetWmStateAdd : NetWmStateRemove;
    event.xclient.data.l[1] = static_cast<long>(m_connection->atom("_NET_WM_STATE_ABOVE"));
    event.xclient.data.l[2] = 0;
    event.xclient.data.l[3] = SourceApplication;
    XSendEvent(d, m_connection->root(), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    // Without a window manager nobody honours the state: raising the window
    // is the nearest thing to the band.
    if (topmost) XRaiseWindow(d, w);
    trap.failedAfterSync();
}

} // namespace tintora::x11
