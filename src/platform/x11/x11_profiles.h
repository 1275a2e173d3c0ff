#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include "platform/display_profiles.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_profile_screens.h"

namespace tintora::x11 {

// The display profiles published by the "ICC Profiles in X" convention: for
// a point, the RandR output property _ICC_PROFILE of the output that
// describes its screen, then the root window's _ICC_DEVICE_PROFILE(_n), then
// its _ICC_PROFILE(_n), n the screen's number (x11_profile_screens.h says
// which screen and which output those are). Each property is read once and
// again only after the server says it changed (PropertyNotify on the root,
// RROutputPropertyNotify), so a look-up between changes costs no request. The
// notices arrive on the connection's event queue, which the owner pumps and
// hands to handleEvent().
class X11Profiles {
public:
    // The owner selects RROutputPropertyNotifyMask with its own RandR notices
    // on the root: the server keeps a client's first RandR selection on a
    // window and ignores later ones.
    X11Profiles(std::shared_ptr<Connection> connection, int randrEventBase);

    // Takes a notice of a changed profile property; false for any other event.
    bool handleEvent(const XEvent& event);
    // The outputs or their places changed: crtcs are the CRTCs that show
    // something, in the server's order. The screens are read again at the
    // next look-up.
    void outputsChanged(std::vector<ShownOutput> crtcs);

    // Fills profile for the point p, which the CRTC of output shownBy
    // (outputName) shows, as DisplayProfiles::profileAt describes: nothing is copied
    // when profile already holds that profile at its serial.
    void fillAt(Point p, RROutput shownBy, const std::string& outputName, PublishedProfile& profile);
    // Every screen's profile, once for each CRTC that shows it, as
    // DisplayProfiles::allProfiles describes.
    std::vector<PublishedProfile> all();

private:
    // One property as last read.
    struct Source {
        RROutput output = 0; // 0: a root window property
        Atom property = None;
        const char* rootBase = nullptr; // a root property's name without its suffix
        int screenIndex = 0;            // a root property's suffix
        std::string origin;   // what PublishedProfile::origin says of it
        bool known = false;   // read since the last notice
        bool present = false; // published as a profile (format 8)
        std::string refusal;  // why the bytes were not read (too large, empty); empty when they were
        unsigned long refusedSize = 0;
        std::vector<std::uint8_t> bytes;
        // Given anew when the source is made and at each notice, and never
        // to another source: the serial of every reading of its bytes.
        std::uint64_t version = 0;
    };
    // The root's properties are watched from the first look-up on, so a
    // program that never asks for profiles gets none of its many notices.
    void watch();
    // Reads the screens again after a change of the outputs. The server
    // sends no notice when a client adds or removes a monitor: its monitors
    // are asked again at most once a MonitorsRecheck, a request that builds
    // nothing while they stay the same.
    void knowScreens();
    bool sameMonitors(const XRRMonitorInfo* monitors, int count) const;
    Source& outputSource(RROutput output);
    Source& rootSource(const char* base, int screenIndex);
    // Fills profile from the first published of the property of output
    // propertyOf (none for 0) and the root properties of screen.
    void fill(RROutput propertyOf, int screen, const std::string& outputName, PublishedProfile& profile);
    // Reads the property again.
    void read(Source& source);

    std::shared_ptr<Connection> m_connection;
    Display* m_display;
    int m_randrEventBase;
    bool m_watching = false;
    Atom m_icc = None;
    std::vector<ShownOutput> m_crtcs;
    std::vector<ProfileScreen> m_screens;
    std::vector<Atom> m_monitorNames; // of m_screens, when they are monitors
    bool m_screensKnown = false;
    bool m_serverHasMonitors = true; // until it refuses to list them (RandR before 1.5)
    std::chrono::steady_clock::time_point m_screensReadAt;
    static constexpr std::chrono::seconds MonitorsRecheck{1};
    std::deque<Source> m_sources; // a deque: looked-up sources stay where they are
    // The serial of a reading where nothing is published; a fresh reading
    // (serial 0) never matches it.
    static constexpr std::uint64_t NothingPublished = 1;
    std::uint64_t m_lastVersion = NothingPublished; // versions are given above it
};

} // namespace tintora::x11
