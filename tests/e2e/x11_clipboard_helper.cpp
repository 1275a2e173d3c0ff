// A small program around the real clipboard backend, for the clipboard's
// end-to-end tests: it sets text, ends, and leaves the rest to the backend.
// Its keeper re-executes this binary, so it starts like the program does.
//
//   x11_clipboard_helper set TEXT [--stay]     set TEXT through a QGuiApplication
//   x11_clipboard_helper set-file PATH [--stay] the same with the text of a file
//   x11_clipboard_helper no-app TEXT           set TEXT with no QGuiApplication
//   x11_clipboard_helper manager               a stand-in clipboard manager
//
// stdout gets "set: ok" or "set: failed: <why>" once the text is set. With
// --stay the helper runs its event loop (serving the selection) until SIGTERM.
// Then it makes the text outlive it, as the program does at its end.

#include <QGuiApplication>
#include <QTimer>

#include <csignal>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/platform.h"

int runStandInClipboardManager();

namespace {

volatile std::sig_atomic_t g_terminate = 0;

void onTerminate(int) { g_terminate = 1; }

void report(const std::string& error)
{
    std::cout << (error.empty() ? std::string("set: ok") : "set: failed: " + error) << std::endl;
}

} // namespace

int main(int argc, char** argv)
{
    if (auto status = tintora::runPlatformHelper(argc, argv)) return *status;

    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "manager") return runStandInClipboardManager();
    if (args.size() < 2) {
        std::cerr << "usage: x11_clipboard_helper set|set-file|no-app TEXT [--stay] | manager\n";
        return 2;
    }
    const std::string& mode = args[0];
    std::string text = args[1];
    if (mode == "set-file") {
        std::ifstream in(args[1], std::ios::binary);
        std::stringstream contents;
        contents << in.rdbuf();
        text = contents.str();
    }
    const bool stay = args.size() > 2 && args[2] == "--stay";

    auto opened = tintora::openPlatform();
    if (auto* error = std::get_if<std::string>(&opened)) {
        std::cerr << *error << '\n';
        return 1;
    }
    tintora::Platform platform = std::move(std::get<tintora::Platform>(opened));
    if (mode == "no-app") {
        const std::string error = platform.clipboard->setText(text);
        report(error);
        return error.empty() ? 0 : 3;
    }

    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    const std::string error = platform.clipboard->setText(text);
    report(error);
    if (stay) {
        std::signal(SIGTERM, onTerminate);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &app, [&app] {
            if (g_terminate) app.quit();
        });
        poll.start(10);
        app.exec();
    }
    platform.clipboard->keepAfterExit();
    return error.empty() ? 0 : 3;
}
