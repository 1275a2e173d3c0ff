#pragma once

#include <memory>

#include "fake/fake_platform.h"
#include "help/help_form.h"
#include "magnifier/magnifier_form.h"
#include "pointer/settings_form.h"
#include "shell/program_state.h"
#include "shell/tintora_form.h"

// The program's four windows over the fake platform, created in start-up order.
struct MainWindowFixture {
    explicit MainWindowFixture(std::vector<std::string> args = {}, std::string decimalSeparator = ".")
    {
        MainWindowSetup setup;
        setup.args = std::move(args);
        setup.programDir = "/opt/tintora/";
        setup.decimalSeparator = std::move(decimalSeparator);
        form = std::make_unique<TTintoraForm>(state, fake.platform, std::move(setup));
        state.TintoraForm = form.get();
        help = std::make_unique<TForm2>(state);
        state.Form2 = help.get();
        magnifier = std::make_unique<TForm3>(state);
        state.Form3 = magnifier.get();
        settings = std::make_unique<TForm4>(state);
        state.Form4 = settings.get();
    }

    tintora::fake::FakePlatform fake;
    tintora::ProgramState state;
    std::unique_ptr<TTintoraForm> form;
    std::unique_ptr<TForm2> help;
    std::unique_ptr<TForm3> magnifier;
    std::unique_ptr<TForm4> settings;
};
