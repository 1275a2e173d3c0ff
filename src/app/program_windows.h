#pragma once

#include <memory>

#include "help/help_window.h"
#include "lutview/lut_window.h"
#include "magnifier/magnifier_window.h"
#include "platform/platform.h"
#include "pointer/settings_dialog.h"
#include "mainwindow/main_window.h"
#include "widgets/key_dispatcher.h"
#include "widgets/topmost_band.h"

// The program's windows, created in start-up order (main, help, magnifier,
// settings, then the LUT window) and connected to each other, with the key
// routing, the topmost band and the activation events wired. Needs a
// QApplication.
class ProgramWindows {
public:
    ProgramWindows(tintora::ProgramState& state, tintora::Platform& platform, MainWindowSetup setup);
    ~ProgramWindows();

    std::unique_ptr<MainWindow> main;
    std::unique_ptr<HelpWindow> help;
    std::unique_ptr<MagnifierWindow> magnifier;
    std::unique_ptr<SettingsDialog> settings;
    std::unique_ptr<LutWindow> lutWindow;

private:
    KeyDispatcher m_dispatcher;
    TopmostBand m_topmostBand;
};
