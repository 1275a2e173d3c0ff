#pragma once

#include <functional>
#include <string>

namespace tintora {

// What the program's start and end need of the system, beyond the windows.

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
