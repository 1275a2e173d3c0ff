// Program entry: the platform, the four windows, the message loop.

#include <QApplication>
#include <QCoreApplication>
#include <QDirIterator>
#include <QFont>
#include <QIcon>
#include <QLocale>
#include <QPalette>
#include <QStyleFactory>

#include <cstdlib>
#include <iostream>
#include <utility>

#include "platform/platform.h"
#include "core/checked_output.h"
#include "core/program_options.h"
#include "platform/process.h"
#include "core/program_state.h"
#include "probe/probe_report.h"
#include "app/program_windows.h"

namespace {

// The main window while the event loop runs, for the exit handler below
// alone; set and cleared only by LoopRunning. The toolkit and the platform
// end the process with exit() when the connection to the display breaks (the
// server ended or crashed); nothing can be shown or given back then, but the
// settings can be kept. Whether the close sequence has begun is the main
// window's run state to say, not this pointer's.
MainWindow* g_running = nullptr;

void onExitWhileRunning()
{
    MainWindow* mainWindow = std::exchange(g_running, nullptr);
    if (!mainWindow) return;
    std::cerr << "tintora: the connection to the display server was lost; the settings are saved and the program "
                 "ends.\n";
    mainWindow->saveAfterDisplayLoss();
}

// The span of the event loop: the exit handler reaches the main window only
// within it, never once the window is gone, however the loop is left.
class LoopRunning {
public:
    explicit LoopRunning(MainWindow& mainWindow)
    {
        static const bool handlerRegistered = std::atexit(onExitWhileRunning) == 0;
        if (handlerRegistered) g_running = &mainWindow;
    }
    ~LoopRunning() { g_running = nullptr; }
    LoopRunning(const LoopRunning&) = delete;
    LoopRunning& operator=(const LoopRunning&) = delete;
};

// The look of the program: a quiet dark skin on which the red and grey
// button pictures and the yellow "F1" read well.
void applySkin(QApplication& app)
{
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette p;
    const QColor window(43, 45, 48), text(222, 222, 222), base(30, 31, 34);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(58, 60, 64));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Highlight, QColor(70, 110, 170));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Light, QColor(80, 82, 86));
    p.setColor(QPalette::Dark, QColor(20, 20, 22));
    p.setColor(QPalette::ToolTipBase, window);
    p.setColor(QPalette::ToolTipText, text);
    app.setPalette(p);
}

// --at, --json and --lut read and print: no window, the pointer and the
// settings file left alone.
int runProbeMode(int& argc, char** argv, const tintora::ProgramOptions& options)
{
    if (const auto why = tintora::chooseBackend()) {
        std::cerr << "tintora: " << *why << '\n';
        return 1;
    }
    // No window, but the backend may hear the system's answers through the
    // event loop (the Wayland portal's do).
    QCoreApplication app(argc, argv);
    auto screen = tintora::openScreen();
    if (auto* error = std::get_if<std::string>(&screen)) {
        std::cerr << "tintora: " << *error << '\n';
        return 1;
    }
    return tintora::runProbe(options, std::get<tintora::Screen>(screen), std::cout, std::cerr);
}

// Qt set up before its application object exists: every coordinate a physical
// pixel, nothing rescaled.
void prepareQt()
{
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    for (const char* scaling : {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_AUTO_SCREEN_SCALE_FACTOR"})
        qunsetenv(scaling);
    tintora::prepareToolkit();
}

// The application object's look: the program's skin, and where Tahoma is
// missing a sans-serif of much the same width, which keeps every caption
// inside the place the layout gives it.
void setUpApplication(QApplication& app)
{
    QFont::insertSubstitutions(QStringLiteral("Tahoma"), {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    app.setQuitOnLastWindowClosed(false);
    applySkin(app);
    // The program's icon for the window manager and task bars, at the sizes
    // the build embeds (the Windows executable carries its own instead).
    QIcon icon;
    for (QDirIterator it(QStringLiteral(":/icons"), {QStringLiteral("*.png")}, QDir::Files,
                         QDirIterator::Subdirectories);
         it.hasNext();)
        icon.addFile(it.next());
    if (!icon.isNull()) app.setWindowIcon(icon);
}

// What the main window needs to know of the run.
MainWindowSetup mainWindowSetup(tintora::ProgramOptions& options)
{
    MainWindowSetup setup;
    setup.args = std::move(options.positionArgs);
    setup.pickAtStart = options.pick;
    // The paths as the system reports them (on Windows with backslashes).
    setup.executablePath = tintora::executablePath();
    setup.programDir = setup.executablePath.substr(0, setup.executablePath.find_last_of("/\\") + 1);
    setup.decimalSeparator = QLocale::system().decimalPoint().toStdString();
    return setup;
}

// With TINTORA_TRACE_READOUTS set, every change of the readouts is printed on
// the standard output: for demos and diagnosis.
void traceReadoutsWhenAsked(MainWindow& mainWindow)
{
    if (!qEnvironmentVariableIsSet("TINTORA_TRACE_READOUTS")) return;
    mainWindow.readoutsTrace = [](const tintora::ReadoutTexts& t) {
        std::cout << "Bitmap " << t.bitmap[0] << ' ' << t.bitmap[1] << ' ' << t.bitmap[2] << " | LUT " << t.lut[0]
                  << ' ' << t.lut[1] << ' ' << t.lut[2] << " | " << t.hash << std::endl;
    };
    if (PickMode* pick = mainWindow.pickMode())
        pick->trace = [](bool shown) { std::cout << (shown ? "Pick mode on" : "Pick mode off") << std::endl; };
}

// The windows over the platform, until the program ends. QApplication keeps
// argc by reference: it is main's own.
int runWindows(int& argc, char** argv, tintora::ProgramOptions& options)
{
    // The backend is chosen before Qt starts, so that Qt's windows go to the
    // same display server and a session with none usable is refused plainly.
    if (const auto why = tintora::chooseBackend()) {
        std::cerr << "tintora: " << *why << '\n';
        return 1;
    }
    prepareQt();
    QApplication app(argc, argv);
    auto opened = tintora::openPlatform();
    if (auto* error = std::get_if<std::string>(&opened)) {
        std::cerr << "tintora: " << *error << '\n';
        return 1;
    }
    tintora::Platform platform = std::move(std::get<tintora::Platform>(opened));
    if (!platform.screen.ramps->canReadGammaRamp())
        std::cerr << "tintora: this display offers no gamma ramp; the LUT column will read 0.\n";
    setUpApplication(app);

    tintora::ProgramState state;
    ProgramWindows windows(state, platform, mainWindowSetup(options));
    MainWindow& mainWindow = *windows.main;
    // A termination signal or the end of the session closes the main window
    // like any close request, so the same close sequence runs.
    tintora::onEndRequest([&mainWindow] { mainWindow.closeQuietly(); });
    traceReadoutsWhenAsked(mainWindow);

    mainWindow.showMainWindow();
    const LoopRunning loop(mainWindow);
    return app.exec();
}

} // namespace

int main(int argc, char** argv)
{
    // A standard stream the program was started without must not lend its
    // number to the display connection, or its text would go there.
    const auto closed = tintora::reserveStandardDescriptors();
    if (!closed) {
        std::cerr << "tintora: a standard stream is closed and cannot be opened on the null device.\n";
        return 1;
    }
    if (const auto status = tintora::runPlatformHelper(argc, argv)) return *status;
    tintora::connectStandardStreams();
    // An answer written to the null device in place of a closed standard
    // output was never delivered: writes to it fail, so that the answer's
    // failure is said and ends the program with 1.
    static tintora::ClosedStreamBuffer closedOutput;
    if (closed->output) std::cout.rdbuf(&closedOutput);

    // The command line as given: QApplication removes the arguments it knows.
    std::vector<std::string> args(argv + 1, argv + argc);
    // --help and --version answer without a display (and fail, saying why,
    // when the answer cannot be written).
    if (const auto information = tintora::requestedInformation(args))
        return tintora::writeChecked(std::cout, information->text, information->what, std::cerr) ? 0 : 1;
    auto parsed = tintora::parseProgramOptions(args);
    if (auto* error = std::get_if<tintora::OptionError>(&parsed)) {
        std::cerr << "tintora: " << error->message << "\n" << tintora::usageText();
        return 2;
    }
    tintora::ProgramOptions& options = std::get<tintora::ProgramOptions>(parsed);

    if (options.probing()) return runProbeMode(argc, argv, options);

    return runWindows(argc, argv, options);
}
