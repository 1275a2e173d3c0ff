#include "platform/x11/x11_windows.h"

#include <X11/Xatom.h>

namespace tintora::x11 {

namespace {

constexpr long NetWmStateRemove = 0;
constexpr long NetWmStateAdd = 1;
constexpr long SourceApplication = 1;

// Asks the window manager to add or remove up to two states of a mapped
// window (_NET_WM_STATE): once managed, only the manager changes them. The
// request goes to the root window, where window managers listen for it.
void requestStates(Connection& connection, Window w, long action, Atom first, Atom second = None)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = w;
    event.xclient.message_type = connection.atom("_NET_WM_STATE");
    event.xclient.format = 32;
    event.xclient.data.l[0] = action;
    event.xclient.data.l[1] = static_cast<long>(first);
    event.xclient.data.l[2] = static_cast<long>(second);
    event.xclient.data.l[3] = SourceApplication;
    XSendEvent(connection.display(), connection.root(), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &event);
}

} // namespace

X11Windows::X11Windows(std::shared_ptr<Connection> connection) : m_connection(std::move(connection)) {}

void X11Windows::setTopmost(NativeWindow window, bool topmost)
{
    Display* d = m_connection->display();
    const Window w = static_cast<Window>(window);
    ErrorTrap trap(d);
    // The window manager keeps the band (_NET_WM_STATE_ABOVE).
    requestStates(*m_connection, w, topmost ? NetWmStateAdd : NetWmStateRemove,
                  m_connection->atom("_NET_WM_STATE_ABOVE"));
    // Without a window manager nobody honours the state: raising the window
    // is the nearest thing to the band.
    if (topmost) XRaiseWindow(d, w);
    trap.failedAfterSync();
}

void X11Windows::leaveOutOfTaskBar(NativeWindow window)
{
    Display* d = m_connection->display();
    const Window w = static_cast<Window>(window);
    ErrorTrap trap(d);
    const Atom skipped[] = {m_connection->atom("_NET_WM_STATE_SKIP_TASKBAR"),
                            m_connection->atom("_NET_WM_STATE_SKIP_PAGER")};
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(d, w, &attributes) && attributes.map_state == IsUnmapped) {
        // Before the window is mapped the states are its own property, which
        // the manager reads when it takes the window in (and to which Qt
        // adds its own when it maps the window).
        XChangeProperty(d, w, m_connection->atom("_NET_WM_STATE"), XA_ATOM, 32, PropModeAppend,
                        reinterpret_cast<const unsigned char*>(skipped), 2);
    } else {
        requestStates(*m_connection, w, NetWmStateAdd, skipped[0], skipped[1]);
    }
    trap.failedAfterSync();
}

} // namespace tintora::x11
