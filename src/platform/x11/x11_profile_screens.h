#pragma once

// Which published display profile describes which part of the desktop on
// X11, as a rule of its own: it takes the layout as plain values (no Xlib
// here), so it is tested without a server.
//
// The "ICC Profiles in X" convention names two places: the RandR output's
// property _ICC_PROFILE, and the root window's _ICC_PROFILE (with
// _ICC_DEVICE_PROFILE before it) for the first Xinerama screen,
// _ICC_PROFILE_n for the n-th after it. The Xinerama screens are numbered as
// the server numbers them: on a server with RandR 1.5 they are its monitors,
// in the order it lists them (the primary one first, then the ones clients
// defined with xrandr --setmonitor, then one for each CRTC they leave over);
// before RandR 1.5 they are the CRTCs that show something, in the server's
// order with the primary output's first. A monitor that a client defined
// names the outputs it is made of, perhaps none: the output properties of
// those outputs describe it, and a monitor of no output has the root's
// properties alone, though its pixels may come from another output's CRTC.

#include <string>
#include <vector>

#include "core/geometry.h"

namespace tintora::x11 {

// A RandR output's id, as Xlib's RROutput; 0 for none.
using OutputId = unsigned long;

// One Xinerama screen: a RandR monitor, or a CRTC where the server has no
// monitors.
struct ProfileScreen {
    std::string name; // the monitor's name (the output's for a CRTC)
    Rect rect;
    std::vector<OutputId> outputs; // the outputs it is made of, in the server's order
};

// A CRTC that shows something: where it lies and its first output.
struct ShownOutput {
    Rect rect;
    OutputId output = 0;
    std::string name; // the output's name, as RampReading::output
};

// The screens a server without monitors has: crtcs in its order, the one
// showing primary (0: none is primary) moved first.
std::vector<ProfileScreen> screensOfCrtcs(const std::vector<ShownOutput>& crtcs, OutputId primary);

// The index of the screen whose root properties describe p, which output
// shownBy shows (the output of the CRTC at p): the first screen holding p
// (where monitors overlap, the first listed has the point); where none holds
// it, the first made of shownBy, else the first screen. -1 where there are
// no screens.
int profileScreenAt(const std::vector<ProfileScreen>& screens, Point p, OutputId shownBy);

// The output whose own property describes screen where shownBy shows it:
// shownBy when the screen is made of it, else the screen's first output;
// 0 for a screen made of no output (its root properties alone apply).
OutputId profileOutputOf(const ProfileScreen& screen, OutputId shownBy);

// One line of the list of every screen's profile: a screen and a CRTC that
// shows it.
struct ScreenPart {
    int screen = 0;
    int crtc = -1; // index into the CRTCs; -1: no CRTC shows the screen
};

// Every screen in order, each with the CRTCs that show it: those of the
// outputs it is made of, else (a screen of no output, or of outputs now
// off) those whose rectangle meets its own; one part without a CRTC for a
// screen that none shows.
std::vector<ScreenPart> screenParts(const std::vector<ProfileScreen>& screens, const std::vector<ShownOutput>& crtcs);

} // namespace tintora::x11
