// A clipboard manager reduced to what the clipboard's tests look at: it owns
// CLIPBOARD_MANAGER and, asked to SAVE_TARGETS by a program that is ending,
// fetches the CLIPBOARD's text as UTF8_STRING and prints "saved: <text>" on
// stdout. It leaves the CLIPBOARD itself alone, so after the hand-over nobody
// owns it. It runs until killed.

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <optional>
#include <string>

namespace {

void answer(Display* d, const XSelectionRequestEvent& request, Atom property)
{
    XSelectionEvent reply{};
    reply.type = SelectionNotify;
    reply.display = d;
    reply.requestor = request.requestor;
    reply.selection = request.selection;
    reply.target = request.target;
    reply.property = property;
    reply.time = request.time;
    XSendEvent(d, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
    XFlush(d);
}

std::string takeText(Display* d, Window w, Atom property)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string text;
    if (XGetWindowProperty(d, w, property, 0, 1 << 24, True, AnyPropertyType, &type, &format, &count, &after,
                           &data) == Success &&
        data && format == 8)
        text.assign(reinterpret_cast<const char*>(data), count);
    if (data) XFree(data);
    return text;
}

} // namespace

int runStandInClipboardManager()
{
    Display* d = XOpenDisplay(nullptr);
    if (!d) return 1;
    const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    const Atom manager = XInternAtom(d, "CLIPBOARD_MANAGER", False);
    const Atom clipboard = XInternAtom(d, "CLIPBOARD", False);
    const Atom saveTargets = XInternAtom(d, "SAVE_TARGETS", False);
    const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    const Atom saved = XInternAtom(d, "STAND_IN_SAVED", False);
    XSetSelectionOwner(d, manager, w, CurrentTime);
    if (XGetSelectionOwner(d, manager) != w) return 1;
    std::printf("ready\n");
    std::fflush(stdout);

    std::optional<XSelectionRequestEvent> saving;
    for (;;) {
        XEvent event;
        XNextEvent(d, &event);
        if (event.type == SelectionRequest) {
            const XSelectionRequestEvent& request = event.xselectionrequest;
            if (request.selection == manager && request.target == saveTargets && !saving) {
                saving = request;
                XConvertSelection(d, clipboard, utf8, saved, w, CurrentTime);
                XFlush(d);
            } else {
                answer(d, request, None);
            }
        } else if (event.type == SelectionNotify && event.xselection.requestor == w && saving) {
            if (event.xselection.property != None)
                std::printf("saved: %s\n", takeText(d, w, saved).c_str());
            else
                std::printf("saved nothing\n");
            std::fflush(stdout);
            answer(d, *saving, saving->property);
            saving.reset();
        }
    }
}
