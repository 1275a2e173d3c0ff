#pragma once

#include <QLabel>
#include <QWidget>
#include <string>

#include "core/commands.h"
#include "core/program_state.h"
#include "lutview/lut_curves.h"
#include "platform/platform.h"
#include "probe/sampler.h"
#include "widgets/main_window_link.h"

// The LUT window's widgets.
struct LutWindowUi {
    LutCurves* curves = nullptr;
    QLabel* statusLabel = nullptr;
    QLabel* profileLabel = nullptr; // the display profile's line under the status
};

// A small resizable window titled "LUT": the curves of the ramp of the output
// under the pointer and, under them, one line of status (output, ramp size,
// identity or the distinct levels per channel) and the display profile's line
// (probe/profile_text.h), all of them the main window's latest sample
// (probe/sampler.h). It follows the probe tick but redoes only what the
// sample says changed: it repaints only when the ramp or the levels change,
// and sets a text only when it changed. Whether it is shown is kept in the
// program state; it keeps its place while hidden.
class LutWindow : public QWidget {
    Q_OBJECT
public:
    LutWindow(tintora::ProgramState& state, tintora::Platform& platform, MainWindowLink& mainWindow);

    // Shows the window (beside the main window the first time, without taking
    // the focus) or hides it; the program state follows.
    void showCurves(bool shown);

    // The commands its keys run: CloseWindow hides it and gives the focus
    // back to the main window.
    void runCommand(tintora::Command command);

    // The tick's sample: redoes the parts changes names (every part for a
    // window just shown, which missed the ticks while it was hidden). The
    // sample is the sampler's latest, which the curves paint from.
    void follow(const tintora::Sample& sample, tintora::SampleChanges changes);

    const LutWindowUi& ui() const { return m_ui; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void placeBesideMainWindow();

    tintora::ProgramState& m_state;
    tintora::Platform& m_platform;
    MainWindowLink& m_mainWindow;
    LutWindowUi m_ui;
    bool m_placed = false;
};
