#pragma once

#include <memory>

#include "fake/fake_platform.h"
#include "shell/program_windows.h"

// The program's four windows over the fake platform, created in start-up order.
struct MainWindowFixture {
    explicit MainWindowFixture(std::vector<std::string> args = {}, std::string decimalSeparator = ".")
    {
        MainWindowSetup setup;
        setup.args = std::move(args);
        setup.programDir = "/opt/tintora/";
        setup.decimalSeparator = std::move(decimalSeparator);
        windows = std::make_unique<ProgramWindows>(state, fake.platform, std::move(setup));
        form = windows->main.get();
        help = windows->help.get();
        magnifier = windows->magnifier.get();
        settings = windows->settings.get();
    }

    tintora::fake::FakePlatform fake;
    tintora::ProgramState state;
    std::unique_ptr<ProgramWindows> windows;
    TTintoraForm* form;
    TForm2* help;
    TForm3* magnifier;
    TForm4* settings;
};
