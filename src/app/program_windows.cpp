#include "app/program_windows.h"

#include <QApplication>

ProgramWindows::ProgramWindows(tintora::ProgramState& state, tintora::Platform& platform, MainWindowSetup setup)
    : m_dispatcher(platform.keyboard.get())
{
    const std::string executablePath = setup.executablePath;
    main = std::make_unique<MainWindow>(state, platform, std::move(setup));
    help = std::make_unique<HelpWindow>(state, platform, *main, executablePath);
    magnifier = std::make_unique<MagnifierWindow>(state, platform, *main);
    settings = std::make_unique<SettingsDialog>(state, platform, *main);
    main->attach({help.get(), magnifier.get(), settings.get()});

    MainWindow* m = main.get();
    QObject::connect(magnifier.get(), &MagnifierWindow::shownChanged, m, &MainWindow::showOptions);
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
    settings.reset();
    magnifier.reset();
    help.reset();
    main.reset();
}
