#include "platform/x11/x11_layout.h"

#include <algorithm>

namespace tintora::x11 {

namespace {

struct ResourcesDeleter {
    void operator()(XRRScreenResources* r) const
    {
        if (r) XRRFreeScreenResources(r);
    }
};
struct CrtcInfoDeleter {
    void operator()(XRRCrtcInfo* c) const
    {
        if (c) XRRFreeCrtcInfo(c);
    }
};
struct OutputInfoDeleter {
    void operator()(XRROutputInfo* o) const
    {
        if (o) XRRFreeOutputInfo(o);
    }
};
struct MonitorsDeleter {
    void operator()(XRRMonitorInfo* m) const
    {
        if (m) XRRFreeMonitors(m);
    }
};

} // namespace

X11Layout::X11Layout(std::shared_ptr<Connection> connection)
    : m_connection(std::move(connection)), m_display(m_connection->display()), m_root(m_connection->root())
{
    int errorBase = 0, major = 0, minor = 0;
    if (XRRQueryExtension(m_display, &m_randrEventBase, &errorBase) && XRRQueryVersion(m_display, &major, &minor))
        m_hasRandr12 = major > 1 || (major == 1 && minor >= 2);
    if (!m_hasRandr12) return;
    // Layout changes arrive as events on this connection; the layout is
    // read again only then, so a tick costs no extra round trips.
    // The server keeps the first selection and ignores any later one, so
    // the display profiles' output property notices are selected here too
    // (they are rare); X11DisplayProfiles takes them.
    XRRSelectInput(m_display, m_root, RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputPropertyNotifyMask);
    m_listenerId = m_connection->addEventListener([this](XEvent& event) {
        const bool screenChanged = event.type == m_randrEventBase + RRScreenChangeNotify;
        const bool crtcOrOutputChanged =
            event.type == m_randrEventBase + RRNotify &&
            reinterpret_cast<const XRRNotifyEvent&>(event).subtype != RRNotify_OutputProperty;
        if (!screenChanged && !crtcOrOutputChanged) return false;
        XRRUpdateConfiguration(&event);
        m_known = false;
        return true;
    });
}

X11Layout::~X11Layout()
{
    if (m_listenerId) m_connection->removeEventListener(m_listenerId);
}

void X11Layout::refreshIfChanged()
{
    // Any RandR notification among the pending events means monitors or
    // CRTCs changed; the listener marks the layout unknown.
    m_connection->pumpEvents();
    if (!m_known) read();
}

void X11Layout::read()
{
    m_known = true;
    ++m_generation;
    m_crtcs.clear();
    m_monitors.clear();

    if (m_hasRandr12) {
        ErrorTrap trap(m_display);
        std::unique_ptr<XRRScreenResources, ResourcesDeleter> res(XRRGetScreenResourcesCurrent(m_display, m_root));
        if (res) {
            for (int i = 0; i < res->ncrtc; ++i) {
                std::unique_ptr<XRRCrtcInfo, CrtcInfoDeleter> info(XRRGetCrtcInfo(m_display, res.get(), res->crtcs[i]));
                if (!info || info->mode == None || info->width == 0 || info->height == 0) continue;
                Crtc crtc;
                crtc.id = res->crtcs[i];
                crtc.rect = {info->x, info->y, static_cast<int>(info->width), static_cast<int>(info->height)};
                crtc.gammaSize = XRRGetCrtcGammaSize(m_display, crtc.id);
                if (info->noutput > 0) {
                    std::unique_ptr<XRROutputInfo, OutputInfoDeleter> output(
                        XRRGetOutputInfo(m_display, res.get(), info->outputs[0]));
                    if (output && output->name) crtc.output.assign(output->name, static_cast<std::size_t>(output->nameLen));
                    crtc.outputId = info->outputs[0];
                }
                m_crtcs.push_back(crtc);
            }
        }

        int count = 0;
        std::unique_ptr<XRRMonitorInfo, MonitorsDeleter> mons(XRRGetMonitors(m_display, m_root, True, &count));
        for (int i = 0; mons && i < count; ++i) {
            const Rect r{mons.get()[i].x, mons.get()[i].y, mons.get()[i].width, mons.get()[i].height};
            if (mons.get()[i].primary)
                m_monitors.insert(m_monitors.begin(), r);
            else
                m_monitors.push_back(r);
        }
        if (trap.failed()) m_monitors.clear();
    }
    if (m_monitors.empty())
        for (const Crtc& c : m_crtcs) m_monitors.push_back(c.rect);
    if (m_monitors.empty()) m_monitors.push_back(rootRect());

    // What the root has no pixels for, no monitor shows either.
    m_shown.clear();
    for (const Rect& m : m_monitors) {
        const Rect onRoot = intersected(m, rootRect());
        if (!onRoot.isEmpty()) m_shown.push_back(onRoot);
    }
}

const X11Layout::Crtc* X11Layout::crtcAt(Point p) const
{
    const auto it = std::find_if(m_crtcs.begin(), m_crtcs.end(), [p](const Crtc& c) { return c.rect.contains(p); });
    return it != m_crtcs.end() ? &*it : nullptr;
}

Rect X11Layout::rootRect() const
{
    const int s = m_connection->screen();
    return {0, 0, DisplayWidth(m_display, s), DisplayHeight(m_display, s)};
}

} // namespace tintora::x11
