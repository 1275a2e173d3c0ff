#pragma once

#include <QPoint>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/command_line.h"
#include "core/commands.h"
#include "core/program_state.h"
#include "mainwindow/main_window_settings.h"
#include "mainwindow/main_window_ui.h"
#include "mainwindow/pick_mode.h"
#include "mainwindow/program_run.h"
#include "mainwindow/readout_panel.h"
#include "mainwindow/title_strip.h"
#include "platform/platform.h"
#include "pointer/pointer_aids.h"
#include "probe/readout_text.h"
#include "probe/sampler.h"
#include "widgets/main_window_link.h"
#include "widgets/topmost_band.h"
#include "widgets/window_placement.h"

class HelpWindow;
class LutWindow;
class MagnifierWindow;
class SettingsDialog;

// What the main window needs from the program that creates it.
struct MainWindowSetup {
    std::vector<std::string> args;   // command line without the program path
    std::string programDir;          // executable's directory, trailing separator
    std::string executablePath;      // the executable's full path
    std::string decimalSeparator;    // from the user's locale, read at start
    bool pickAtStart = false;        // --pick: the pick mode once the window shows
};

// The other windows the main window opens and docks.
struct SecondaryWindows {
    HelpWindow* help = nullptr;
    MagnifierWindow* magnifier = nullptr;
    SettingsDialog* settings = nullptr;
    LutWindow* lutWindow = nullptr;
};

// The main window: borderless 203 x 110, a title strip of buttons and the
// readouts of the pixel under the pointer, refreshed by the probe timer.
class MainWindow : public QWidget, public MainWindowLink {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 203;
    static constexpr int ClientHeight = 110;
    static constexpr int ProbeIntervalMs = 50;
    // The disabled pin button's tooltip where no window can be kept on top,
    // and what the start says of it on the standard error (after "tintora: ").
    static constexpr const char* KeepOnTopUnavailableText =
        "This session does not let programs keep a window above the others.";
    static constexpr const char* KeepOnTopUnavailableNotice =
        "this session does not let programs keep a window above the others; the pin button is unavailable.";

    MainWindow(tintora::ProgramState& state, tintora::Platform& platform, MainWindowSetup setup);

    // Connects the windows this one opens and the program's topmost band,
    // whose pin this window's pin is; once, before it is shown.
    void attach(SecondaryWindows windows, TopmostBand& topmostBand);

    // Reads the settings, places the window (centred when the command line
    // was empty) and shows it.
    void showMainWindow();

    // The commands its keys and buttons run.
    void runCommand(tintora::Command command);
    void toggleHelp();
    void closeOrHideMagnifier();
    void toggleMagnifier();
    void toggleHexadecimal();
    void toggleFractions();
    void copyBitmapColour();
    void copyLutColour();
    void toggleFreeze();
    void toggleAlwaysOnTop();
    void closeProgram();
    void showSettings();
    void toggleLutCurves();
    // Where the session has a pick mode (wlroots), enters it.
    void startPickMode();
    void showHelpFromButton();
    // Draws the options' state on the title-strip buttons.
    void showOptionButtons();
    // The swatch's click while frozen: opens the colour dialog on the frozen colour.
    void inspectFrozenColour();

    // The magnifier was zoomed: its menu's check marks follow the zoom and
    // the slow pointer is set again.
    void zoomChanged();

    // Key handlers: keys that ran no command, and every release.
    void keyDown(const tintora::KeyChord& key);
    void keyUp(const tintora::KeyChord& key);
    // The pointer aids, whose one owner this window is: the other windows'
    // keys reach them here too (Ctrl's speed), so that nothing touches the
    // pointer once the close has begun.
    tintora::PointerAids& pointerAids() { return m_pointerAids; }

    // Whether sampling runs (not frozen).
    bool probing() const { return m_probeTimer->isActive(); }

    // The settings file (MainWindowSettings): read at the first show, its
    // options applied to the windows; written at the close.
    void loadSettings(const std::string& path);
    void saveSettings(const std::string& path);

    // Closes as a close request does, but reports problems on the standard
    // error instead of a box that nobody may be there to answer (signals).
    void closeQuietly();
    // The display has gone: only the settings can still be kept (failures
    // go to stderr, there is no screen to show a box on).
    void saveAfterDisplayLoss();

    // One run of the probe timer: sample, magnify, show.
    void probeTick();
    // The latest sample's levels in the readouts and the swatch, what it
    // lacks as missing ("?", "#", the swatch in the window's colour).
    void showReadouts();
    // The latest sample's ramp and what the display profile says: the "LUT:"
    // caption's tooltip and the LUT window, when shown, follow them.
    void showRamp();
    // The latest sample, the one every window shows: frozen, the one that
    // copying and the colour dialog read.
    const tintora::Sample& sample() const { return m_sampler.latest(); }

    // The program became active or inactive.
    void applicationActivated();
    void applicationDeactivated();

    // Called with the texts of every tick whose readouts changed, when set.
    std::function<void(const tintora::ReadoutTexts&)> readoutsTrace;

    // Moves the window through the screen snapping.
    void moveWindow(tintora::Point proposed);

    // MainWindowLink.
    QRect mainWindowFrame() const override;
    void focusMainWindow() override;
    void applySlowPointer() override;
    void showError(const std::string& message) override;

    // The widgets, the probe timer and the keys' pointer aids, for tests.
    const MainWindowUi& ui() const { return m_ui; }
    QTimer* probeTimer() const { return m_probeTimer; }
    const tintora::PointerAids& pointerAids() const { return m_pointerAids; }
    // The pick mode, where the session has one; nullptr elsewhere.
    PickMode* pickMode() const { return m_pickMode.get(); }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void applyCommandLine();
    void showMagnifier(bool shown);
    void showLutCurves(bool shown);
    void dockMagnifier();
    void setAlwaysOnTop(bool on);
    void liftPointerAids();
    void copyToClipboard(const std::optional<tintora::Rgb>& colour);

    tintora::ProgramState& m_state;
    tintora::Platform& m_platform;
    MainWindowSetup m_setup;
    SecondaryWindows m_windows;
    MainWindowUi m_ui;
    QTimer* m_probeTimer = nullptr;
    tintora::PointerAids m_pointerAids;
    WindowPlacement m_placement;
    TopmostBand* m_topmostBand = nullptr;
    std::optional<tintora::StartPosition> m_startPosition;
    std::optional<QPoint> m_dragOffset; // pointer minus window corner while dragging
    ProgramRun m_run;
    MainWindowSettings m_settings;
    std::unique_ptr<ReadoutPanel> m_readouts;
    std::unique_ptr<TitleStrip> m_titleStrip;
    tintora::Sampler m_sampler; // the probe timer's samples, the latest kept
    std::unique_ptr<PickMode> m_pickMode; // where the pointer is told only to an overlay (wlroots)
};
