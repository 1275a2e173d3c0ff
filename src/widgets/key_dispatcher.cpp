#include "widgets/key_dispatcher.h"

#include <QApplication>
#include <QKeyEvent>

using namespace tintora;

namespace {

int keyCodeOf(const QKeyEvent& e)
{
    const int k = e.key();
    const bool keypad = e.modifiers() & Qt::KeypadModifier;
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return k; // same numbering
    if (k >= Qt::Key_0 && k <= Qt::Key_9 && !keypad) return k;
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return keys::F1 + (k - Qt::Key_F1);
    switch (k) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return keys::Tab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return keys::Return;
    case Qt::Key_Shift: return keys::Shift;
    case Qt::Key_Control: return keys::Control;
    case Qt::Key_Alt: return keys::Alt;
    case Qt::Key_Escape: return keys::Escape;
    case Qt::Key_Space: return keys::Space;
    case Qt::Key_Left: return keys::Left;
    case Qt::Key_Up: return keys::Up;
    case Qt::Key_Right: return keys::Right;
    case Qt::Key_Down: return keys::Down;
    case Qt::Key_Plus:
    case Qt::Key_Equal: return keypad ? keys::KeypadAdd : keys::Plus;
    case Qt::Key_Minus:
    case Qt::Key_Underscore: return keypad ? keys::KeypadSubtract : keys::Minus;
    default: return keys::Unknown;
    }
}

} // namespace

namespace {

bool isLetter(int key) { return key >= 'A' && key <= 'Z'; }

ModifierKey modifierKeyOf(const QKeyEvent& event, Keyboard* keyboard, const PhysicalKey& physical)
{
    // The symbol of a modifier key depends on the modifiers already held
    // (Alt after Shift is Meta on X11): the keyboard knows the key itself.
    const ModifierKey known = keyboard ? keyboard->modifierOf(physical) : ModifierKey::Other;
    if (known != ModifierKey::Other) return known;
    switch (event.key()) {
    case Qt::Key_Shift: return ModifierKey::Shift;
    case Qt::Key_Control: return ModifierKey::Control;
    case Qt::Key_Alt: return ModifierKey::Alt;
    default: return ModifierKey::Other;
    }
}

} // namespace

KeyChord keyChordOf(const QKeyEvent& event, Keyboard* keyboard)
{
    const Qt::KeyboardModifiers m = event.modifiers();
    const PhysicalKey physical{event.nativeScanCode(), event.nativeVirtualKey()};
    KeyChord k;
    k.key = keyCodeOf(event);
    k.shift = m & Qt::ShiftModifier;
    k.ctrl = m & Qt::ControlModifier;
    k.alt = m & Qt::AltModifier;
    k.altGr = (m & Qt::GroupSwitchModifier) || event.key() == Qt::Key_AltGr;
    // Letters are the keys' Latin letters, whichever layout is active.
    if (const std::optional<char> letter = keyboard ? keyboard->latinLetterOf(physical) : std::nullopt) {
        if (*letter)
            k.key = *letter;
        else if (isLetter(k.key))
            k.key = keys::Unknown; // a letter only in another layout
    }
    // X reports the state before the event; a modifier key's own event
    // should see the state after it.
    const bool press = event.type() == QEvent::KeyPress;
    switch (modifierKeyOf(event, keyboard, physical)) {
    case ModifierKey::Shift:
        k.key = keys::Shift;
        k.shift = press;
        break;
    case ModifierKey::Control:
        k.key = keys::Control;
        k.ctrl = press;
        break;
    case ModifierKey::Alt:
        k.key = keys::Alt;
        k.alt = press;
        break;
    case ModifierKey::Other: break;
    }
    return k;
}

KeyDispatcher::KeyDispatcher(Keyboard* keyboard, QObject* parent) : QObject(parent), m_keyboard(keyboard) {}

void KeyDispatcher::setMainWindow(QWidget* window, WindowKeys keys) { m_main = {window, std::move(keys)}; }

void KeyDispatcher::addWindow(QWidget* window, WindowKeys keys) { m_windows.push_back({window, std::move(keys)}); }

const KeyDispatcher::Entry* KeyDispatcher::entryOf(const QWidget* window) const
{
    if (m_main.window == window) return &m_main;
    for (const Entry& e : m_windows)
        if (e.window == window) return &e;
    return nullptr;
}

bool KeyDispatcher::mainWindowEnabled() const
{
    // The main window is disabled while another window of the program runs
    // modally (the settings dialog).
    QWidget* modal = QApplication::activeModalWidget();
    return m_main.window && m_main.window->isEnabled() && (!modal || modal == m_main.window);
}

namespace {

bool runFrom(const KeyDispatcher::WindowKeys& keys, const KeyChord& key)
{
    if (!keys.bindings || !keys.run) return false;
    const auto command = commandFor(*keys.bindings, key);
    if (!command) return false;
    keys.run(*command);
    return true;
}

} // namespace

bool KeyDispatcher::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::KeyRelease) || !watched->isWidgetType()) return false;
    auto* target = static_cast<QWidget*>(watched);
    QWidget* window = target->window();
    // A key event is offered to the focus widget first and then to its
    // parents; it is routed once, at the first of these.
    QWidget* first = window->focusWidget() ? window->focusWidget() : window;
    if (target != first) return false;
    const Entry* entry = entryOf(window);
    if (!entry) return false;

    auto* keyEvent = static_cast<QKeyEvent*>(event);
    const KeyChord key = keyChordOf(*keyEvent, m_keyboard);
    if (type == QEvent::KeyRelease) {
        // Auto-repeat sends releases between the repeated presses; only the
        // real release counts.
        if (!keyEvent->isAutoRepeat() && entry->keys.keyUp) entry->keys.keyUp(key);
        return false;
    }
    const bool kept = entry->keys.controlKeeps && entry->keys.controlKeeps(*keyEvent);
    if (!kept && runFrom(entry->keys, key)) return true;
    if (!kept && entry != &m_main && mainWindowEnabled() && runFrom(m_main.keys, key)) return true;
    if (entry->keys.keyDown) entry->keys.keyDown(key);
    return false;
}
