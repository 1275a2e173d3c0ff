#include "support/xlib_helpers.h"

namespace tintora::test {

XErrorTrap::XErrorTrap(Display* display) : m_display(display), m_previous(XSetErrorHandler(record)) { s_errors = 0; }

XErrorTrap::~XErrorTrap()
{
    // Errors of requests still on their way are this trap's too.
    XSync(m_display, False);
    XSetErrorHandler(m_previous);
}

bool XErrorTrap::failedAfterSync()
{
    XSync(m_display, False);
    return s_errors > 0;
}

int XErrorTrap::record(Display*, XErrorEvent*)
{
    ++s_errors;
    return 0;
}

Colour colourOf(unsigned long pixel, const Visual* v)
{
    auto level = [pixel](unsigned long mask) -> std::uint8_t {
        if (mask == 0) return 0;
        int shift = 0;
        while (!((mask >> shift) & 1ul)) ++shift;
        const unsigned long max = mask >> shift;
        return static_cast<std::uint8_t>((((pixel & mask) >> shift) * 255 + max / 2) / max);
    };
    return {level(v->red_mask), level(v->green_mask), level(v->blue_mask)};
}

std::string textProperty(Display* d, Window w, Atom property, Atom type)
{
    Atom actual = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string text;
    if (XGetWindowProperty(d, w, property, 0, 1024, False, type, &actual, &format, &count, &after, &data) ==
            Success &&
        data && format == 8)
        text.assign(reinterpret_cast<const char*>(data), count);
    if (data) XFree(data);
    return text;
}

std::vector<Window> childrenOf(Display* d, Window parent)
{
    Window root = None, up = None, *list = nullptr;
    unsigned int count = 0;
    std::vector<Window> out;
    if (XQueryTree(d, parent, &root, &up, &list, &count) && list) out.assign(list, list + count);
    if (list) XFree(list);
    return out;
}

} // namespace tintora::test
