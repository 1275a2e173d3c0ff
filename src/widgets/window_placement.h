#pragma once

#include <QPoint>
#include <QRect>
#include <QWidget>
#include <optional>

#include "core/geometry.h"
#include "platform/platform.h"

// Where the program's windows go: every window that places itself asks here.
// The arithmetic is core/screen_snapping's, reckoned on the work area of the
// monitor under the window a place is taken from (the main window, mostly).
// A framed window is placed by its whole size, the frame a window manager
// adds included, once that frame is known (FramePlacement). Where the
// compositor alone places windows (Windows::canPlaceWindows false: Wayland),
// nothing here moves a window.
class WindowPlacement {
public:
    explicit WindowPlacement(tintora::Platform& platform);

    // Whether the program places its windows itself.
    bool placesWindows() const;
    // The work area of the monitor under frame's centre.
    tintora::Rect workAreaUnder(const QRect& frame) const;

    // The main window (frameless) to proposed, its edges snapped to the work
    // area under it where it stands now.
    void moveSnapped(QWidget* window, tintora::Point proposed) const;
    // The main window's first place: centred in the primary monitor's work
    // area, snapped as every move of it is.
    void centreInPrimaryWorkArea(QWidget* window) const;

    // A framed window right of next, gap pixels between them, tops aligned;
    // left of it where the right has no room; within the work area under
    // next (the LUT window beside the main window).
    void placeBeside(QWidget* window, const QRect& next, int gap) const;
    // A framed window centred over another, never left of or above the work
    // area under it (the settings dialog over the main window).
    void centreOver(QWidget* window, const QRect& over) const;
    // A framed window centred in the work area under another, or in the
    // primary monitor's without one (the help window and the colour dialog,
    // under the main window).
    void centreInWorkAreaUnder(QWidget* window, const std::optional<QRect>& under) const;
    // Where a frameless window stands on below, left edges aligned (the
    // magnifier docked on the main window); nothing where the compositor
    // places windows. The window moves itself there, knowing first where it
    // is asked to stand.
    std::optional<QPoint> dockingPlace(const QWidget* window, const QRect& below) const;

private:
    tintora::Platform& m_platform;
};
