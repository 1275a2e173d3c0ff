#include "mainwindow/pick_mode.h"

#include "mainwindow/main_window.h"

using namespace tintora;

PickMode::PickMode(MainWindow& mainWindow, Platform& platform)
    : m_main(mainWindow), m_overlay(*platform.pickOverlay), m_pointer(*platform.pointer)
{
    m_overlay.setListener(this);
}

PickMode::~PickMode()
{
    m_overlay.setListener(nullptr);
    m_overlay.hide();
}

bool PickMode::active() const { return m_overlay.shown(); }

bool PickMode::followsPointer() const { return m_overlay.shown() && m_pointer.position().has_value(); }

void PickMode::start()
{
    if (m_overlay.shown()) return;
    // Picking means following the pointer: a frozen colour lets go.
    if (!m_main.probing()) m_main.toggleFreeze();
    std::string why;
    if (!m_overlay.show(why)) {
        m_main.showError(why);
        return;
    }
    traceShown(true);
}

void PickMode::traceShown(bool shown)
{
    if (trace) trace(shown);
}

void PickMode::leave()
{
    if (!m_overlay.shown()) return;
    m_overlay.hide();
    // The keys' releases go elsewhere now: no lock outlives the mode.
    m_main.keyUp(KeyChord{});
    traceShown(false);
}

void PickMode::freezeHere()
{
    // The colour under the pointer now, not the one of the last tick.
    m_main.probeTick();
    if (m_main.probing()) m_main.toggleFreeze();
    leave();
}

void PickMode::pickClicked(Point) { freezeHere(); }

void PickMode::pickKey(const KeyChord& key, bool pressed)
{
    if (!pressed) {
        m_main.keyUp(key);
        return;
    }
    // Esc leaves the mode only (the program and the magnifier stay), with
    // whatever modifiers are down: a lock's Alt, say.
    if (key.key == keys::Escape) return leave();
    const std::optional<Command> command = commandFor(mainWindowBindings(), key);
    if (!command) {
        m_main.keyDown(key);
        return;
    }
    switch (*command) {
    case Command::CloseWindow: return leave();
    // Space freezes as a click does.
    case Command::ToggleFreeze: return freezeHere();
    case Command::PickFromScreen: return;
    default: return m_main.runCommand(*command);
    }
}

void PickMode::pickOverlayClosed()
{
    m_main.keyUp(KeyChord{});
    traceShown(false);
}
