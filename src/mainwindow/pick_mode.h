#pragma once

#include <functional>

#include "core/commands.h"
#include "platform/platform.h"

class MainWindow;

// The pick mode, for sessions that tell the program where the pointer is
// only over a surface of its own (wlroots compositors): while it lasts the
// platform's overlay lies over every output, the probe tick follows the
// pointer there (readouts, magnifier, LUT column), a click freezes the
// colour under it and ends the mode, and Esc ends it with the readouts
// holding the last colour. The main window's commands work in it, and the
// keys the pointer aids use (arrows, Alt, Shift) go to them.
class PickMode : public tintora::PickOverlayListener {
public:
    PickMode(MainWindow& mainWindow, tintora::Platform& platform);
    ~PickMode();
    PickMode(const PickMode&) = delete;
    PickMode& operator=(const PickMode&) = delete;

    // Lays the overlay (probing again when frozen); a refusal is shown as
    // an error.
    void start();
    // Takes the overlay away; the readouts hold.
    void leave();
    bool active() const;
    // Whether a probe tick has a pointer to follow: in the mode, once the
    // pointer is over the overlay.
    bool followsPointer() const;

    // Called with true as the mode begins and false as it ends, when set.
    std::function<void(bool)> trace;

    // PickOverlayListener.
    void pickClicked(tintora::Point p) override;
    void pickKey(const tintora::KeyChord& key, bool pressed) override;
    void pickOverlayClosed() override;

private:
    // Samples where the pointer is, freezes there and leaves.
    void freezeHere();
    void traceShown(bool shown);

    MainWindow& m_main;
    tintora::PickOverlay& m_overlay;
    tintora::Pointer& m_pointer;
};
