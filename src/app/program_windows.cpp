#include "app/program_windows.h"

#include <QApplication>

#include "pointer/pointer_aids.h"

ProgramWindows::ProgramWindows(tintora::ProgramState& state, tintora::Platform& platform, MainWindowSetup setup)
    : m_dispatcher(platform.keyboard.get()), m_topmostBand(*platform.windows)
{
    const std::string executablePath = setup.executablePath;
    main = std::make_unique<MainWindow>(state, platform, std::move(setup));
    help = std::make_unique<HelpWindow>(platform, *main, executablePath);
    magnifier = std::make_unique<MagnifierWindow>(state, platform, *main);
    settings = std::make_unique<SettingsDialog>(state, platform, *main);
    lutWindow = std::make_unique<LutWindow>(state, platform, *main);
    // The pin moves the magnifier, then the main window.
    m_topmostBand.followPin(magnifier.get());
    m_topmostBand.followPin(main.get());
    main->attach({help.get(), magnifier.get(), settings.get(), lutWindow.get()}, m_topmostBand);

    MainWindow* m = main.get();
    QObject::connect(magnifier.get(), &MagnifierWindow::shownChanged, m, &MainWindow::showOptionButtons);
    m_dispatcher.setMainWindow(m, {&tintora::mainWindowBindings(), [m](tintora::Command c) { m->runCommand(c); },
                                   [m](const auto& k) { m->keyDown(k); }, [m](const auto& k) { m->keyUp(k); }, {}});
    // In the other windows Ctrl inverts the slow pointer, through the main
    // window's pointer aids: the one path that knows when the close has begun.
    tintora::PointerAids& aids = m->pointerAids();
    const KeyDispatcher::KeyHandler speedKeyDown = [&aids](const tintora::KeyChord& k) { aids.otherWindowKeyDown(k); };
    const KeyDispatcher::KeyHandler speedKeyUp = [&aids](const tintora::KeyChord& k) { aids.otherWindowKeyUp(k); };
    HelpWindow* h = help.get();
    m_dispatcher.addWindow(h, {&tintora::helpWindowBindings(), [h](tintora::Command c) { h->runCommand(c); },
                               speedKeyDown, speedKeyUp, [h](const QKeyEvent& e) { return h->viewKeeps(e); }});
    // The magnifier hands the focus on at once; should a key reach it
    // meanwhile, the main window's commands take it.
    m_dispatcher.addWindow(magnifier.get(), {});
    SettingsDialog* s = settings.get();
    m_dispatcher.addWindow(s, {&tintora::settingsDialogBindings(), [s](tintora::Command c) { s->runCommand(c); },
                               speedKeyDown, speedKeyUp, {}});
    // The LUT window: Esc and Ctrl+L hide it, the main window's commands work
    // in it, and Ctrl inverts the slow pointer there as in the help window.
    LutWindow* l = lutWindow.get();
    m_dispatcher.addWindow(l, {&tintora::lutWindowBindings(), [l](tintora::Command c) { l->runCommand(c); },
                               speedKeyDown, speedKeyUp, {}});
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
