// The clipboard keeper: a process of plain Xlib that owns CLIPBOARD after the
// program has ended and serves the text the program set, until another client
// takes the selection or the X server goes away.

#include "platform/x11/x11_clipboard.h"
#include "platform/x11/x11_helper_process.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tintora::x11 {

namespace {

// A requestor may vanish before its answer arrives; nothing else can fail.
int ignoreError(Display*, XErrorEvent*) { return 0; }

// Without the server there is nobody left to paste: the keeper's work is done.
int serverGone(Display*) { ::_exit(0); }

// Everything the program sends, up to its end of the stream.
bool readMessage(std::string& message)
{
    constexpr int TimeoutMs = 5000;
    char buffer[65536];
    for (;;) {
        pollfd p{KeeperChannel, POLLIN, 0};
        const int ready = ::poll(&p, 1, TimeoutMs);
        if (ready == 0) return false;
        if (ready < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        const ssize_t n = ::read(KeeperChannel, buffer, sizeof buffer);
        if (n > 0)
            message.append(buffer, static_cast<std::size_t>(n));
        else if (n == 0)
            return true;
        else if (errno != EINTR)
            return false;
    }
}

void answerProgram(char answer)
{
    [[maybe_unused]] const ssize_t n = ::send(KeeperChannel, &answer, 1, MSG_NOSIGNAL);
    ::close(KeeperChannel);
}

// The text in ISO 8859-1, for STRING; exact is false when some character has
// no place there (it reads '?') or the UTF-8 is broken.
struct Latin1 {
    std::string text;
    bool exact = true;
};

Latin1 latin1Of(const std::string& utf8)
{
    static constexpr unsigned long Smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    Latin1 out;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        std::size_t length = 0;
        unsigned long code = 0;
        if (lead < 0x80) {
            length = 1;
            code = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            code = lead & 0x1Fu;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            code = lead & 0x0Fu;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            code = lead & 0x07u;
        }
        bool valid = length > 0 && i + length <= utf8.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3Fu);
        }
        if (!valid || code < Smallest[length]) {
            out.text += '?';
            out.exact = false;
            ++i;
            continue;
        }
        if (code < 0x100) {
            out.text += static_cast<char>(code);
        } else {
            out.text += '?';
            out.exact = false;
        }
        i += length;
    }
    return out;
}

class Keeper {
public:
    Keeper(Display* display, std::string text)
        : m_display(display), m_text(std::move(text)), m_latin1(latin1Of(m_text)),
          m_clipboard(XInternAtom(display, "CLIPBOARD", False)), m_targets(XInternAtom(display, "TARGETS", False)),
          m_timestamp(XInternAtom(display, "TIMESTAMP", False)),
          m_utf8String(XInternAtom(display, "UTF8_STRING", False)), m_textAtom(XInternAtom(display, "TEXT", False))
    {
        // The largest property one request can set (a ChangeProperty request
        // has a 24-byte head, 4 more with BIG-REQUESTS); larger text would
        // need INCR transfers, which the keeper does not offer.
        long units = XExtendedMaxRequestSize(display);
        if (units == 0) units = XMaxRequestSize(display);
        m_maxBytes = static_cast<std::size_t>(units) * 4 - 32;
    }

    bool fits() const { return m_text.size() <= m_maxBytes; }

    // Takes the selection over from expectedOwner, the program's window. The
    // server is grabbed meanwhile: a copy by another client between the look
    // and the take would otherwise be overwritten.
    bool take(Window expectedOwner)
    {
        const Window root = DefaultRootWindow(m_display);
        XSetWindowAttributes attributes{};
        attributes.event_mask = PropertyChangeMask;
        m_window = XCreateWindow(m_display, root, -1, -1, 1, 1, 0, CopyFromParent, InputOnly, CopyFromParent,
                                 CWEventMask, &attributes);
        // The property changes tell who this is (xprop) and, with their
        // PropertyNotify, the server time that ownership is recorded with.
        XStoreName(m_display, m_window, KeeperName);
        const long pid = static_cast<long>(::getpid());
        XChangeProperty(m_display, m_window, XInternAtom(m_display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
        XEvent event;
        XWindowEvent(m_display, m_window, PropertyChangeMask, &event);
        m_since = event.xproperty.time;

        XGrabServer(m_display);
        bool owned = false;
        if (expectedOwner != None && XGetSelectionOwner(m_display, m_clipboard) == expectedOwner) {
            XSetSelectionOwner(m_display, m_clipboard, m_window, m_since);
            owned = XGetSelectionOwner(m_display, m_clipboard) == m_window;
        }
        XUngrabServer(m_display);
        XFlush(m_display);
        return owned;
    }

    // Answers requests until another client takes the selection.
    void serve()
    {
        for (;;) {
            XEvent event;
            XNextEvent(m_display, &event);
            if (event.type == SelectionClear && event.xselectionclear.window == m_window &&
                event.xselectionclear.selection == m_clipboard)
                return;
            if (event.type == SelectionRequest) answer(event.xselectionrequest);
        }
    }

private:
    void answer(const XSelectionRequestEvent& request)
    {
        XSelectionEvent reply{};
        reply.type = SelectionNotify;
        reply.display = m_display;
        reply.requestor = request.requestor;
        reply.selection = request.selection;
        reply.target = request.target;
        reply.time = request.time;
        reply.property = None;
        // Clients from before ICCCM 2.0 name no property: the target is it.
        const Atom property = request.property != None ? request.property : request.target;
        if (request.selection == m_clipboard && request.owner == m_window && put(request.requestor, property, request.target))
            reply.property = property;
        XSendEvent(m_display, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
        XFlush(m_display);
    }

    // Writes the text as target into the requestor's property; false for a
    // target the keeper does not offer.
    bool put(Window requestor, Atom property, Atom target)
    {
        if (target == m_targets) {
            const Atom offered[] = {m_targets, m_timestamp, m_utf8String, XA_STRING, m_textAtom};
            XChangeProperty(m_display, requestor, property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(offered), std::size(offered));
            return true;
        }
        if (target == m_timestamp) {
            const long since = static_cast<long>(m_since);
            XChangeProperty(m_display, requestor, property, XA_INTEGER, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(&since), 1);
            return true;
        }
        const std::string* data = nullptr;
        Atom type = None;
        if (target == m_utf8String || (target == m_textAtom && !m_latin1.exact)) {
            data = &m_text;
            type = m_utf8String;
        } else if (target == XA_STRING || target == m_textAtom) {
            data = &m_latin1.text;
            type = XA_STRING;
        } else {
            return false;
        }
        if (data->size() > m_maxBytes) return false;
        XChangeProperty(m_display, requestor, property, type, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(data->data()), static_cast<int>(data->size()));
        return true;
    }

    Display* m_display;
    std::string m_text;
    Latin1 m_latin1;
    Atom m_clipboard, m_targets, m_timestamp, m_utf8String, m_textAtom;
    std::size_t m_maxBytes = 0;
    Window m_window = None;
    Time m_since = CurrentTime;
};

} // namespace

int runClipboardKeeper()
{
    ::unsetenv(KeeperEnvironment);
    struct stat channel {};
    if (::fstat(KeeperChannel, &channel) != 0 || !S_ISSOCK(channel.st_mode)) {
        std::fprintf(stderr, "tintora: %s is set by the program for its own use only.\n", KeeperEnvironment);
        return 2;
    }
    // A daemon of its own (its session is its own from the start).
    settleHelper("tintora-keeper", KeeperChannel);

    std::string message;
    const std::size_t newline = readMessage(message) ? message.find('\n') : std::string::npos;
    if (newline == std::string::npos) {
        answerProgram('E');
        return 2;
    }
    const Window owner = std::strtoul(message.substr(0, newline).c_str(), nullptr, 10);
    message.erase(0, newline + 1);

    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        answerProgram('E');
        return 1;
    }
    XSetErrorHandler(ignoreError);
    XSetIOErrorHandler(serverGone);
    Keeper keeper(display, std::move(message));
    if (!keeper.fits() || !keeper.take(owner)) {
        answerProgram('E');
        XCloseDisplay(display);
        return 1;
    }
    answerProgram(KeeperTookOver);
    keeper.serve();
    XCloseDisplay(display);
    return 0;
}

} // namespace tintora::x11
