#include "platform/x11/x11_profiles.h"

#include <algorithm>
#include <cstdio>
#include <functional>

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
// whole of it in one request.
enum class PropertyOutcome { Absent, TooLarge, Read };
PropertyOutcome readProfileProperty(const PropertyRequest& request, std::vector<std::uint8_t>& bytes,
                                    unsigned long& size)
{
    bytes.clear();
    // A property replaced between the two requests reads again; the notice
    // of a later change brings another reading anyway.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const PropertyReply head = request(0, 0);
        // A profile is a string of bytes: format 32 (or 16) is no profile.
        if (!head.ok || head.type == None || head.format != 8 || head.after == 0) return PropertyOutcome::Absent;
        size = head.after;
        if (size > kLargestProfileBytes) return PropertyOutcome::TooLarge;
        const PropertyReply whole = request(0, static_cast<long>((size + 3) / 4));
        if (!whole.ok || whole.type == None || whole.format != 8) return PropertyOutcome::Absent;
        if (whole.after != 0) continue;
        if (whole.items == 0) return PropertyOutcome::Absent;
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
    changed->changedAt = ++m_changes;
    return true;
}

void X11Profiles::outputsChanged()
{
    m_outputsChangedAt = ++m_changes;
    // Outputs may have gone; their properties are read again when asked for.
    std::erase_if(m_sources, [](const Source& s) { return s.output != 0; });
}

X11Profiles::Source& X11Profiles::outputSource(RROutput output)
{
    for (Source& s : m_sources)
        if (s.output == output) return s;
    Source& s = m_sources.emplace_back();
    s.output = output;
    s.property = m_icc;
    s.origin = "output property _ICC_PROFILE";
    s.changedAt = m_changes;
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
    s.changedAt = m_changes;
    return s;
}

void X11Profiles::read(Source& source, const std::string& outputName)
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
    if (outcome != PropertyOutcome::TooLarge) return;
    // Published, but not read: the profile that applies is one Tintora does
    // not show, rather than one that may belong to another output.
    const std::string where = source.output ? source.origin + " of " + outputName : source.origin;
    if (m_toldTooLarge.insert(where).second)
        std::fprintf(stderr,
                     "tintora: the display profile in the %s is %lu bytes, more than the %zu read; it is not used.\n",
                     where.c_str(), size, kLargestProfileBytes);
}

void X11Profiles::fill(const ProfileOutput& output, PublishedProfile& profile)
{
    watch();
    Source* candidates[3] = {};
    int count = 0;
    if (output.id) candidates[count++] = &outputSource(output.id);
    candidates[count++] = &rootSource(kRootDeviceProfile, output.screenIndex);
    candidates[count++] = &rootSource(kRootProfile, output.screenIndex);

    std::uint64_t serial = m_outputsChangedAt;
    const Source* chosen = nullptr;
    for (int i = 0; i < count && !chosen; ++i) {
        Source& s = *candidates[i];
        if (!s.known) read(s, output.name);
        serial = std::max(serial, s.changedAt);
        if (s.present) chosen = &s;
    }
    static const std::string none;
    const std::string& origin = chosen ? chosen->origin : none;
    if (profile.serial == serial && profile.output == output.name && profile.origin == origin) return;
    if (chosen)
        profile.bytes.assign(chosen->bytes.begin(), chosen->bytes.end());
    else
        profile.bytes.clear();
    profile.output = output.name;
    profile.origin = origin;
    profile.serial = serial;
}

} // namespace tintora::x11
