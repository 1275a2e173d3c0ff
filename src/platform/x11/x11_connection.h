#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <X11/Xlib.h>

namespace tintora::x11 {

// One Xlib connection shared by the X11 backends. Errors never abort the
// program: they are trapped around each request that may raise one.
class Connection {
public:
    // Opens the display named by $DISPLAY; on failure error says why.
    static std::shared_ptr<Connection> open(std::string& error);

    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    Display* display() const { return m_display; }
    Window root() const { return m_root; }
    int screen() const { return m_screen; }
    Atom atom(const char* name);

    // Events on this connection go to every listener until one takes them
    // (returns true). Backends add theirs once, when created.
    using EventListener = std::function<bool(XEvent&)>;
    int addEventListener(EventListener listener);
    void removeEventListener(int id);
    // Reads what the server has sent, without blocking, and hands each event
    // to the listeners. Called at every probe tick, so no event waits long.
    void pumpEvents();

private:
    explicit Connection(Display* display);
    Display* m_display;
    int m_screen;
    Window m_root;
    std::vector<std::pair<int, EventListener>> m_listeners;
    int m_nextListenerId = 1;
};

// While alive, X protocol errors on any connection are recorded instead of
// ending the process; the previous handler is put back afterwards. Requests
// without a reply report their errors only after failedAfterSync().
class ErrorTrap {
public:
    explicit ErrorTrap(Display* display);
    ~ErrorTrap();
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // Waits for the server to answer what was sent so far, then tells whether
    // any request raised an error since the trap was set.
    bool failedAfterSync();
    // Whether an error has been seen so far, without a round trip.
    bool failed() const;

private:
    Display* m_display;
    int (*m_previous)(Display*, XErrorEvent*);
    unsigned long m_firstSerial;
};

// Owning pointers for what Xlib hands out.
struct XFreeDeleter {
    void operator()(void* p) const
    {
        if (p) XFree(p);
    }
};
template <typename T>
using XPtr = std::unique_ptr<T, XFreeDeleter>;

} // namespace tintora::x11
