#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

#include "core/commands.h"
#include "platform/keyboard.h"

class QKeyEvent;

// The key and modifiers of a Qt key event. For a modifier key's own press and
// release the state is the one after the event (Shift pressed: Shift held).
// With a keyboard, keys are taken by what they are rather than by the symbol
// the layout gives them now: a modifier key by the modifier it is (Alt after
// Shift arrives as Meta), a letter by its Latin letter in the first Latin
// layout (I in a Russian layout is Ш).
tintora::KeyChord keyChordOf(const QKeyEvent& event, tintora::Keyboard* keyboard = nullptr);

// Routes the keys of the program's windows. A key press goes to the key
// bindings of the window that has the focus, then to the main window's (while
// no other window of the program is modal); a press that runs no command, and
// every release, goes to the window's key handlers before any of its controls
// sees it. Installed on the application.
class KeyDispatcher : public QObject {
    Q_OBJECT
public:
    using KeyHandler = std::function<void(const tintora::KeyChord&)>;

    struct WindowKeys {
        const tintora::KeyBindings* bindings = nullptr;  // may be none
        std::function<void(tintora::Command)> run;       // runs a command the bindings matched
        KeyHandler keyDown;                              // may be empty
        KeyHandler keyUp;                                // may be empty
        // Keys the focused control keeps for itself before any table is
        // searched (scrolling in a page, say); the key handlers still see them.
        std::function<bool(const QKeyEvent&)> controlKeeps;
    };

    // keyboard, when given, tells which physical key each event is.
    explicit KeyDispatcher(tintora::Keyboard* keyboard = nullptr, QObject* parent = nullptr);

    void setMainWindow(QWidget* window, WindowKeys keys);
    void addWindow(QWidget* window, WindowKeys keys);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        QPointer<QWidget> window;
        WindowKeys keys;
    };
    const Entry* entryOf(const QWidget* window) const;
    bool mainWindowEnabled() const;

    tintora::Keyboard* m_keyboard;
    Entry m_main;
    std::vector<Entry> m_windows;
};
