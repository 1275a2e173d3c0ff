#include "platform/x11/x11_connection.h"

#include <cstdlib>

namespace tintora::x11 {

namespace {

// The serial of the last request that failed while a trap was set.
unsigned long g_lastErrorSerial = 0;
bool g_errorSeen = false;

int recordError(Display*, XErrorEvent* event)
{
    g_errorSeen = true;
    g_lastErrorSerial = event->serial;
    return 0;
}

// The connection broke (the server ended): nothing can go on without it. The
// program's exit handlers keep what can still be kept; Xlib's own handler
// would only add a cryptic line.
int connectionLost(Display*)
{
    std::exit(1);
}

} // namespace

std::shared_ptr<Connection> Connection::open(std::string& error)
{
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) {
        error = "No X11 display: $DISPLAY is not set.";
        return nullptr;
    }
    Display* display = XOpenDisplay(name);
    if (!display) {
        error = std::string("Cannot open the X11 display \"") + name + "\".";
        return nullptr;
    }
    // An error that arrives outside a trap (a late reply to an asynchronous
    // request) is recorded and dropped; Xlib's default would end the process.
    XSetErrorHandler(recordError);
    XSetIOErrorHandler(connectionLost);
    return std::shared_ptr<Connection>(new Connection(display));
}

Connection::Connection(Display* display)
    : m_display(display), m_screen(DefaultScreen(display)), m_root(RootWindow(display, m_screen))
{
}

Connection::~Connection() { XCloseDisplay(m_display); }

Atom Connection::atom(const char* name) { return XInternAtom(m_display, name, False); }

int Connection::addEventListener(EventListener listener)
{
    m_listeners.emplace_back(m_nextListenerId, std::move(listener));
    return m_nextListenerId++;
}

void Connection::removeEventListener(int id)
{
    std::erase_if(m_listeners, [id](const auto& entry) { return entry.first == id; });
}

void Connection::pumpEvents()
{
    while (XEventsQueued(m_display, QueuedAfterReading) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        for (auto& [id, listener] : m_listeners)
            if (listener(event)) break;
    }
}

ErrorTrap::ErrorTrap(Display* display)
    : m_display(display), m_previous(XSetErrorHandler(recordError)), m_firstSerial(NextRequest(display))
{
    g_errorSeen = false;
}

ErrorTrap::~ErrorTrap() { XSetErrorHandler(m_previous); }

bool ErrorTrap::failedAfterSync()
{
    XSync(m_display, False);
    return failed();
}

bool ErrorTrap::failed() const { return g_errorSeen && g_lastErrorSerial >= m_firstSerial; }

} // namespace tintora::x11
