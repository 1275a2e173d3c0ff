// The Linux build holds three backends; this is where one is chosen for the
// session, once, by the rule of platform/backend_choice.h, and opened.

#include <QByteArray>

#include <algorithm>
#include <cstdlib>
#include <iterator>

#include "platform/process.h"
#include "platform/session_backends.h"

namespace tintora {

namespace {

// Every backend of this build.
const SessionBackend* const Backends[] = {&x11::Entry, &wayland::Entry, &wlroots::Entry};

const SessionBackend& entryFor(Backend backend)
{
    return **std::find_if(std::begin(Backends), std::end(Backends),
                          [backend](const SessionBackend* entry) { return entry->backend == backend; });
}

bool isSet(const char* variable)
{
    const char* value = std::getenv(variable);
    return value && *value;
}

// What chooseBackend() decided: the backend, or why there is none.
bool decided = false;
const SessionBackend* chosen = nullptr;
std::string refusal;

// A program that opens the platform without choosing first (a test's, a
// benchmark's) has the choice made then.
void decideOnce()
{
    if (!decided) chooseBackend();
}

} // namespace

std::optional<std::string> chooseBackend()
{
    const SessionBackend& x11 = entryFor(Backend::X11);
    const SessionBackend& wayland = entryFor(Backend::Wayland);
    // The wlroots backend shares the Wayland entry's variable; its check says
    // whether a compositor that answers offers wlroots' protocols.
    const BackendChoice choice =
        chooseBackendFor(isSet(x11.variable), x11.checkDisplay, isSet(wayland.variable), [&wayland] {
            DisplayServerCheck check = wayland.checkDisplay();
            if (check.usable) check.screenCopy = entryFor(Backend::Wlroots).checkDisplay().screenCopy;
            return check;
        });
    decided = true;
    chosen = choice.backend ? &entryFor(*choice.backend) : nullptr;
    refusal = choice.why;
    if (chosen) return std::nullopt;
    return refusal;
}

void prepareToolkit()
{
    // The windows go to the same display server as the backend: Qt's plugin
    // for it, whatever the session prefers.
    decideOnce();
    if (chosen) qputenv("QT_QPA_PLATFORM", chosen->toolkitPlugin);
}

std::variant<Platform, std::string> openPlatform()
{
    decideOnce();
    if (!chosen) return refusal;
    return chosen->openPlatform();
}

std::variant<Screen, std::string> openScreen()
{
    decideOnce();
    if (!chosen) return refusal;
    return chosen->openScreen();
}

// Runs before any choice: a helper process is told by how it was started.
std::optional<int> runPlatformHelper(int argc, char** argv)
{
    for (const SessionBackend* entry : Backends)
        if (entry->runHelper)
            if (const std::optional<int> status = entry->runHelper(argc, argv)) return status;
    return std::nullopt;
}

} // namespace tintora
