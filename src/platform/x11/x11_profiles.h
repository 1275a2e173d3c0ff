#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include "platform/display_profiles.h"
#include "platform/x11/x11_connection.h"

namespace tintora::x11 {

// An output as its display profile is looked up: the RandR output, whose
// property comes first, and the Xinerama screen whose root properties follow.
struct ProfileOutput {
    RROutput id = 0;        // 0: no RandR output
    const std::string& name; // as RampReading::output
    int screenIndex = 0; // 0 for the first screen (no suffix), n for "_n"
};

// The display profiles published by the "ICC Profiles in X" convention: for
// an output, its RandR output property _ICC_PROFILE, then the root window's
// _ICC_DEVICE_PROFILE(_n), then its _ICC_PROFILE(_n). Each property is read
// once and again only after the server says it changed (PropertyNotify on the
// root, RROutputPropertyNotify), so a look-up between changes costs no
// request. The notices arrive on the connection's event queue, which the
// owner pumps and hands to handleEvent().
class X11Profiles {
public:
    // The owner selects RROutputPropertyNotifyMask with its own RandR notices
    // on the root: the server keeps a client's first RandR selection on a
    // window and ignores later ones.
    X11Profiles(std::shared_ptr<Connection> connection, int randrEventBase);

    // Takes a notice of a changed profile property; false for any other event.
    bool handleEvent(const XEvent& event);
    // The outputs or their places changed: every look-up gets a new serial.
    void outputsChanged();

    // Fills profile for output, as DisplayProfiles::profileAt describes: nothing is
    // copied when profile already holds that output's profile at its serial.
    void fill(const ProfileOutput& output, PublishedProfile& profile);

private:
    // One property as last read.
    struct Source {
        RROutput output = 0; // 0: a root window property
        Atom property = None;
        const char* rootBase = nullptr; // a root property's name without its suffix
        int screenIndex = 0;            // a root property's suffix
        std::string origin;   // what PublishedProfile::origin says of it
        bool known = false;   // read since the last notice
        bool present = false; // published as a profile (format 8, not empty)
        std::vector<std::uint8_t> bytes;
        std::uint64_t changedAt = 0; // the serial of its last notice
    };
    // The root's properties are watched from the first look-up on, so a
    // program that never asks for profiles gets none of its many notices.
    void watch();
    Source& outputSource(RROutput output);
    Source& rootSource(const char* base, int screenIndex);
    // Reads the property again; outputName names the output in what is said
    // of a profile too large.
    void read(Source& source, const std::string& outputName);

    std::shared_ptr<Connection> m_connection;
    Display* m_display;
    int m_randrEventBase;
    bool m_watching = false;
    Atom m_icc = None;
    std::deque<Source> m_sources; // a deque: looked-up sources stay where they are
    // The serial of the last change of anything: starts at 1, so a fresh
    // reading (serial 0) never matches.
    std::uint64_t m_changes = 1;
    std::uint64_t m_outputsChangedAt = 1;
    std::set<std::string> m_toldTooLarge; // origins already said to be too large
};

} // namespace tintora::x11
