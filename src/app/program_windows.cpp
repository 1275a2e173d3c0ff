#include "app/program_windows.h"

#include <QApplication>

#include "pointer/pointer_aids.h"

ProgramWindows::ProgramWindows(tintora::ProgramState& state, tintora::Platform& platform, MainWindowSetup setup)
    : m_dispatcher(platform.keyboard.get())
{
    const std::string executablePath = setup.executablePath;
    main = std::make_unique<MainWindow>(state, platform, std::move(setup));
    help = std::make_unique<HelpWindow>(state, platform, *main, executablePath);
    magnifier = std::make_unique<MagnifierWindow>(state, platform, *main);
    settings = std::make_unique<SettingsDialog>(state, platform, *main);
    lutWindow = std::make_unique<LutWindow>(state, platform, *main);
    main->attach({help.get(), magnifier.get(), settings.get(), lutWindow.get()});

    MainWindow* m = main.get();
    QObject::connect(magnifier.get(), &MagnifierWindow::shownChanged, m, &MainWindow::showOptionButtons);
    m_dispatcher.setMainWindow(m, {&tintora::mainWindowBindings(), [m](tintora::Command c) { m->runCommand(c); },
                                   [m](const auto& k) { m->keyDown(k); }, [m](const auto& k) { m->keyUp(k); }, {}});
    HelpWindow* h = help.get();
    m_dispatcher.addWindow(h, {&tintora::helpWindowBindings(), [h](tintora::Command c) { h->runCommand(c); },
                               [h](const auto& k) { h->keyDown(k); }, [h](const auto& k) { h->keyUp(k); },
                               [h](const QKeyEvent& e) { return h->viewKeeps(e); }});
    // The magnifier hands the focus on at once; should a key reach it
    // meanwhile, the main window's commands take it.
    m_dispatcher.addWindow(magnifier.get(), {});
    SettingsDialog* s = settings.get();
    m_dispatcher.addWindow(s, {&tintora::settingsDialogBindings(), [s](tintora::Command c) { s->runCommand(c); },
                               [s](const auto& k) { s->keyDown(k); }, [s](const auto& k) { s->keyUp(k); }, {}});
    // The LUT window: Esc and Ctrl+L hide it, the main window's commands work
    // in it, and Ctrl inverts the slow pointer there as in the help window.
    LutWindow* l = lutWindow.get();
    tintora::Pointer& pointer = *platform.pointer;
    m_dispatcher.addWindow(l, {&tintora::lutWindowBindings(), [l](tintora::Command c) { l->runCommand(c); },
                               [&state, &pointer](const auto& k) { tintora::inversionKeyDown(state, pointer, k.ctrl); },
                               [&state, &pointer](const auto&) { tintora::inversionKeyUp(state, pointer); }, {}});
    qApp->installEventFilter(&m_dispatcher);

    QObject::connect(qApp, &QGuiApplication::applicationStateChanged, m, [m](Qt::ApplicationState s) {
        if (s == Qt::ApplicationActive)
            m->applicationActivated();
        else
            m->applicationDeactivated();
    });
}

ProgramWindows::~ProgramWindows()
{
    qApp->removeEventFilter(&m_dispatcher);
    // Windows go in the reverse order of their creation.
    lutWindow.reset();
    settings.reset();
    magnifier.reset();
    help.reset();
    main.reset();
}
