#pragma once

#include <memory>

#include "help/help_form.h"
#include "magnifier/magnifier_form.h"
#include "platform/platform.h"
#include "pointer/settings_form.h"
#include "shell/key_dispatch.h"
#include "shell/program_state.h"
#include "shell/tintora_form.h"

// The program's four windows, created in start-up order (main, help,
// magnifier, settings) and known to the program state, with the key routing
// and the activation events wired. Needs a QApplication.
class ProgramWindows {
public:
    ProgramWindows(tintora::ProgramState& state, tintora::Platform& platform, MainWindowSetup setup);
    ~ProgramWindows();

    std::unique_ptr<TTintoraForm> main;
    std::unique_ptr<TForm2> help;
    std::unique_ptr<TForm3> magnifier;
    std::unique_ptr<TForm4> settings;

private:
    KeyDispatcher m_dispatcher;
};
