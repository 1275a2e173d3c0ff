#include "shell/program_windows.h"

#include <QApplication>

ProgramWindows::ProgramWindows(tintora::ProgramState& state, tintora::Platform& platform, MainWindowSetup setup)
{
    const std::string executablePath = setup.executablePath;
    main = std::make_unique<TTintoraForm>(state, platform, std::move(setup));
    state.TintoraForm = main.get();
    help = std::make_unique<TForm2>(state, platform, executablePath);
    state.Form2 = help.get();
    magnifier = std::make_unique<TForm3>(state, platform);
    state.Form3 = magnifier.get();
    settings = std::make_unique<TForm4>(state, platform);
    state.Form4 = settings.get();

    TTintoraForm* m = main.get();
    m_dispatcher.setMainWindow(m, {&m->ActionList1, [m](const auto& k) { m->FormKeyDown(k); },
                                   [m](const auto& k) { m->FormKeyUp(k); }, {}});
    TForm2* h = help.get();
    m_dispatcher.addWindow(h, {&h->ActionList1, [h](const auto& k) { h->FormKeyDown(k); },
                               [h](const auto& k) { h->FormKeyUp(k); },
                               [h](const QKeyEvent& e) { return h->viewKeeps(e); }});
    // The magnifier hands the focus on at once; should a key reach it
    // meanwhile, the main window's commands take it.
    m_dispatcher.addWindow(magnifier.get(), {});
    TForm4* s = settings.get();
    m_dispatcher.addWindow(s, {&s->ActionList1, [s](const auto& k) { s->FormKeyDown(k); },
                               [s](const auto& k) { s->FormKeyUp(k); }, {}});
    qApp->installEventFilter(&m_dispatcher);

    QObject::connect(qApp, &QGuiApplication::applicationStateChanged, m, [m](Qt::ApplicationState s) {
        if (s == Qt::ApplicationActive)
            m->ApplicationEvents1Activate();
        else
            m->ApplicationEvents1Deactivate();
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
