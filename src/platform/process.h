#pragma once

#include <functional>
#include <optional>
#include <string>

namespace tintora {

// What the program's start and end need of the system, beyond the windows.

// The standard streams the program was started without.
struct ClosedStandardStreams {
    bool input = false;
    bool output = false;
    bool errors = false;
};

// Opens the null device on each of the standard descriptors 0, 1 and 2 that
// the program was started without (`tintora --at 1,1 >&-`), so that nothing
// opened later (the display connection, a file, a helper's channel) gets
// their number, and with it what is written to the standard streams. Tells
// which were closed, so that an answer written to the null device in place
// of a closed output is not taken for one delivered. Nothing when one of
// them stays closed. Call first thing in main(), before anything opens a
// descriptor.
std::optional<ClosedStandardStreams> reserveStandardDescriptors();

// Connects the standard output and error to the console the program was
// started from where the system leaves them unconnected (a Windows program
// with windows gets no console of its own), so that --help, --version and
// the probe's answers reach the user. Output sent to a file or a pipe stays
// where it goes. Call first thing in main().
void connectStandardStreams();

// Tells the toolkit, before the QApplication is made, which of its window
// system plugins this build's platform works with.
void prepareToolkit();

// Runs close from the event loop whenever the system asks the program to end
// (a termination signal, the end of the user's session), so that the same
// close sequence as for a close by the user runs. Call once, after the
// QApplication has been made.
void onEndRequest(std::function<void()> close);

// The full path of the running executable as the system reports it, UTF-8.
std::string executablePath();

} // namespace tintora
