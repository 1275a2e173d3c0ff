#include "platform/x11/x11_profiles.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace tintora::x11 {

namespace {

// The root properties, compared by address once made into sources.
constexpr char kRootDeviceProfile[] = "_ICC_DEVICE_PROFILE";
constexpr char kRootProfile[] = "_ICC_PROFILE";

// What one property request gives.
struct PropertyReply {
    bool ok = false; // false: the request failed (an output gone meanwhile)
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0; // bytes left after the part read
    XPtr<unsigned char> data;
};
// Reads length 32-bit units of a property from offset (in 32-bit units).
using PropertyRequest = std::function<PropertyReply(long offset, long length)>;

// The property's bytes, first its size with a zero-length request, then the
// whole of it in one request. Empty: a string of bytes with none in it, which
// the convention does not give any meaning, so it is refused rather than
// taken for no property at all.
enum class PropertyOutcome { Absent, Empty, TooLarge, Read };
PropertyOutcome readProfileProperty(const PropertyRequest& request, std::vector<std::uint8_t>& bytes,
                                    unsigned long& size)
{
    bytes.clear();
    // A property replaced between the two requests reads again; the notice
    // of a later change brings another reading anyway.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const PropertyReply head = request(0, 0);
        // A profile is a string of bytes: format 32 (or 16) is no profile.
        if (!head.ok || head.type == None || head.format != 8) return PropertyOutcome::Absent;
        if (head.after == 0 && head.items == 0) return PropertyOutcome::Empty;
        size = head.after;
        if (size > kLargestProfileBytes) return PropertyOutcome::TooLarge;
        const PropertyReply whole = request(0, static_cast<long>((size + 3) / 4));
        if (!whole.ok || whole.type == None || whole.format != 8) return PropertyOutcome::Absent;
        if (whole.after != 0) continue;
        if (whole.items == 0) return PropertyOutcome::Empty;
        size = whole.items;
        if (size > kLargestProfileBytes) return PropertyOutcome::TooLarge;
        bytes.assign(whole.data.get(), whole.data.get() + whole.items);
        return PropertyOutcome::Read;
    }
    return PropertyOutcome::Absent;
}

} // namespace

X11Profiles::X11Profiles(std::shared_ptr<Connection> connection, int randrEventBase)
    : m_connection(std::move(connection)), m_display(m_connection->display()), m_randrEventBase(randrEventBase)
{
}

void X11Profiles::watch()
{
    if (m_watching) return;
    m_watching = true;
    const Window root = m_connection->root();
    ErrorTrap trap(m_display);
    // Selecting replaces this connection's own selection on the root: what
    // it had stays.
    XWindowAttributes attributes{};
    const long selected = XGetWindowAttributes(m_display, root, &attributes) ? attributes.your_event_mask : 0;
    XSelectInput(m_display, root, selected | PropertyChangeMask);
    // Selected before anything is read: no change falls between.
    trap.failedAfterSync();
    m_icc = m_connection->atom("_ICC_PROFILE");
}

bool X11Profiles::handleEvent(const XEvent& event)
{
    Source* changed = nullptr;
    if (event.type == PropertyNotify && event.xproperty.window == m_connection->root()) {
        const Atom property = event.xproperty.atom;
        for (Source& s : m_sources)
            if (s.output == 0 && s.property == property) changed = &s;
        if (!changed) return false;
    } else if (event.type == m_randrEventBase + RRNotify &&
               reinterpret_cast<const XRRNotifyEvent&>(event).subtype == RRNotify_OutputProperty) {
        // Taken whatever the property: an output property is no layout change.
        const auto& notice = reinterpret_cast<const XRROutputPropertyNotifyEvent&>(event);
        if (notice.property == m_icc)
            for (Source& s : m_sources)
                if (s.output == notice.output) changed = &s;
        if (!changed) return true;
    } else {
        return false;
    }
    changed->known = false;
    changed->version = ++m_lastVersion;
    return true;
}

void X11Profiles::outputsChanged(std::vector<ShownOutput> crtcs)
{
    m_crtcs = std::move(crtcs);
    m_screensKnown = false;
    // Outputs may have gone, and their ids come back for others; their
    // properties are read again when asked for, with new versions.
    std::erase_if(m_sources, [](const Source& s) { return s.output != 0; });
}

void X11Profiles::knowScreens()
{
    const auto now = std::chrono::steady_clock::now();
    if (m_screensKnown && (!m_serverHasMonitors || now - m_screensReadAt < MonitorsRecheck)) return;
    m_screensKnown = true;
    m_screensReadAt = now;
    const Window root = m_connection->root();
    if (m_serverHasMonitors) {
        // RandR 1.5's monitors, as the server numbers its Xinerama screens;
        // a server before 1.5 refuses the request.
        ErrorTrap trap(m_display);
        int count = 0;
        std::unique_ptr<XRRMonitorInfo, decltype(&XRRFreeMonitors)> monitors(
            XRRGetMonitors(m_display, root, True, &count), XRRFreeMonitors);
        if (trap.failed() || count < 0) m_serverHasMonitors = false;
        if (monitors && count > 0 && !trap.failed()) {
            if (sameMonitors(monitors.get(), count)) return;
            m_screens.clear();
            m_monitorNames.assign(static_cast<std::size_t>(count), None);
            for (std::size_t i = 0; i < m_monitorNames.size(); ++i) m_monitorNames[i] = monitors.get()[i].name;
            // Names not given are left null.
            std::vector<char*> names(m_monitorNames.size(), nullptr);
            XGetAtomNames(m_display, m_monitorNames.data(), count, names.data());
            for (std::size_t i = 0; i < m_monitorNames.size(); ++i) {
                const XRRMonitorInfo& m = monitors.get()[i];
                ProfileScreen& screen = m_screens.emplace_back();
                if (names[i]) screen.name = names[i];
                XFree(names[i]);
                screen.rect = {m.x, m.y, m.width, m.height};
                screen.outputs.assign(m.outputs, m.outputs + std::max(m.noutput, 0));
            }
            if (!trap.failed()) return;
        }
    }
    // Before RandR 1.5, or with no monitor listed: the CRTCs, the primary
    // output's first (RandR 1.3; none is primary before it).
    m_monitorNames.clear();
    ErrorTrap trap(m_display);
    const RROutput primary = XRRGetOutputPrimary(m_display, root);
    m_screens = screensOfCrtcs(m_crtcs, trap.failed() ? 0 : primary);
}

bool X11Profiles::sameMonitors(const XRRMonitorInfo* monitors, int count) const
{
    if (m_monitorNames.size() != static_cast<std::size_t>(count) || m_screens.size() != m_monitorNames.size())
        return false;
    for (std::size_t i = 0; i < m_screens.size(); ++i) {
        const XRRMonitorInfo& m = monitors[i];
        const ProfileScreen& screen = m_screens[i];
        if (m.name != m_monitorNames[i] || screen.rect != Rect{m.x, m.y, m.width, m.height} ||
            !std::equal(screen.outputs.begin(), screen.outputs.end(), m.outputs, m.outputs + std::max(m.noutput, 0)))
            return false;
    }
    return true;
}

X11Profiles::Source& X11Profiles::outputSource(RROutput output)
{
    for (Source& s : m_sources)
        if (s.output == output) return s;
    Source& s = m_sources.emplace_back();
    s.output = output;
    s.property = m_icc;
    s.origin = "output property _ICC_PROFILE";
    s.version = ++m_lastVersion;
    return s;
}

X11Profiles::Source& X11Profiles::rootSource(const char* base, int screenIndex)
{
    // Found without building its name: a look-up runs every tick.
    for (Source& s : m_sources)
        if (s.output == 0 && s.rootBase == base && s.screenIndex == screenIndex) return s;
    // No suffix for the first screen, "_n" for the n-th after it.
    std::string name = base;
    if (screenIndex > 0) name += "_" + std::to_string(screenIndex);
    Source& s = m_sources.emplace_back();
    s.property = m_connection->atom(name.c_str());
    s.rootBase = base;
    s.screenIndex = screenIndex;
    s.origin = "root property " + name;
    s.version = ++m_lastVersion;
    return s;
}

void X11Profiles::read(Source& source)
{
    const Window root = m_connection->root();
    const PropertyRequest request = [&](long offset, long length) {
        PropertyReply reply;
        unsigned char* data = nullptr;
        ErrorTrap trap(m_display);
        const int status =
            source.output ? XRRGetOutputProperty(m_display, source.output, source.property, offset, length, False,
                                                 False, AnyPropertyType, &reply.type, &reply.format, &reply.items,
                                                 &reply.after, &data)
                          : XGetWindowProperty(m_display, root, source.property, offset, length, False,
                                               AnyPropertyType, &reply.type, &reply.format, &reply.items,
                                               &reply.after, &data);
        reply.data.reset(data);
        // A request with a reply has its error, if any, before the reply.
        reply.ok = status == Success && !trap.failed();
        return reply;
    };
    unsigned long size = 0;
    const PropertyOutcome outcome = readProfileProperty(request, source.bytes, size);
    source.known = true;
    source.present = outcome != PropertyOutcome::Absent;
    source.refusedSize = size;
    // Published, but not read: the profile that applies is one Tintora does
    // not show, rather than one that may belong to another output. Who
    // follows the profile says so, once.
    switch (outcome) {
    case PropertyOutcome::Empty: source.refusal = "The display profile property is empty."; break;
    case PropertyOutcome::TooLarge:
        source.refusal =
            "The display profile is larger than " + std::to_string(kLargestProfileBytes >> 20) + " MiB.";
        break;
    case PropertyOutcome::Absent:
    case PropertyOutcome::Read: source.refusal.clear(); break;
    }
}

void X11Profiles::fill(RROutput propertyOf, int screen, const std::string& outputName, PublishedProfile& profile)
{
    Source* candidates[3] = {};
    int count = 0;
    if (propertyOf) candidates[count++] = &outputSource(propertyOf);
    candidates[count++] = &rootSource(kRootDeviceProfile, screen);
    candidates[count++] = &rootSource(kRootProfile, screen);

    const Source* chosen = nullptr;
    for (int i = 0; i < count && !chosen; ++i) {
        Source& s = *candidates[i];
        if (!s.known) read(s);
        if (s.present) chosen = &s;
    }
    // The serial names the bytes: the same for every screen and output that
    // shows the same source's reading, another for any other.
    const std::uint64_t serial = chosen ? chosen->version : NothingPublished;
    static const std::string none;
    const std::string& origin = chosen ? chosen->origin : none;
    if (profile.serial == serial && profile.output == outputName && profile.origin == origin) return;
    if (chosen)
        profile.bytes.assign(chosen->bytes.begin(), chosen->bytes.end());
    else
        profile.bytes.clear();
    profile.refusal = chosen ? chosen->refusal : std::string();
    profile.refusedSize = chosen && !chosen->refusal.empty() ? chosen->refusedSize : 0;
    profile.output = outputName;
    profile.origin = origin;
    profile.serial = serial;
}

void X11Profiles::fillAt(Point p, RROutput shownBy, const std::string& outputName, PublishedProfile& profile)
{
    watch();
    knowScreens();
    const int screen = profileScreenAt(m_screens, p, shownBy);
    // With no screen told at all, the output's own and the first screen's.
    const RROutput propertyOf = screen >= 0 ? profileOutputOf(m_screens[static_cast<std::size_t>(screen)], shownBy)
                                            : shownBy;
    fill(propertyOf, std::max(screen, 0), outputName, profile);
}

std::vector<PublishedProfile> X11Profiles::all()
{
    watch();
    knowScreens();
    std::vector<PublishedProfile> profiles;
    for (const ScreenPart& part : screenParts(m_screens, m_crtcs)) {
        const ProfileScreen& screen = m_screens[static_cast<std::size_t>(part.screen)];
        const ShownOutput* crtc = part.crtc >= 0 ? &m_crtcs[static_cast<std::size_t>(part.crtc)] : nullptr;
        PublishedProfile& profile = profiles.emplace_back();
        fill(profileOutputOf(screen, crtc ? crtc->output : 0), part.screen, crtc ? crtc->name : std::string(),
             profile);
        profile.monitor = {part.screen, screen.name, screen.rect};
    }
    return profiles;
}

} // namespace tintora::x11
