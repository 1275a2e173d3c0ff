#pragma once

#include <memory>

#include "fake/fake_platform.h"
#include "app/program_windows.h"
#include "support/processes.h"

// The program's four windows over the fake platform, created in start-up order.
struct MainWindowFixture {
    explicit MainWindowFixture(std::vector<std::string> args = {}, std::string decimalSeparator = ".")
    {
        MainWindowSetup setup;
        setup.args = std::move(args);
        // The program's directory, where the settings file goes: a fresh
        // one for every fixture, removed with it.
        setup.programDir = programDir.path() + "/";
        setup.executablePath = setup.programDir + "tintora";
        setup.decimalSeparator = std::move(decimalSeparator);
        windows = std::make_unique<ProgramWindows>(state, fake.platform, std::move(setup));
        form = windows->main.get();
        help = windows->help.get();
        magnifier = windows->magnifier.get();
        settings = windows->settings.get();
    }

    tintora::test::TempDir programDir{"tintora-widget"};
    tintora::fake::FakePlatform fake;
    tintora::ProgramState state;
    std::unique_ptr<ProgramWindows> windows;
    MainWindow* form;
    HelpWindow* help;
    MagnifierWindow* magnifier;
    SettingsDialog* settings;

    std::string settingsPath() const { return programDir.file("Tintora.ini"); }
};
