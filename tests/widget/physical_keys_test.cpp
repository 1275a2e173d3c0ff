// Keys taken by the physical key rather than by the symbol the layout gives
// it: the modifier keys whatever level is in force, the letters whatever
// layout is active. Key events as the X server delivers them: the state
// before the event, the symbol of the level and group in force, the keycode
// as the scan code.

#include <gtest/gtest.h>

#include <QTest>

#include "main_window_fixture.h"

using namespace tintora;

namespace {

// Keycodes of a PC keyboard under X.
constexpr std::uint32_t LeftShift = 50, LeftControl = 37, LeftAlt = 64;
constexpr std::uint32_t KeyI = 31, KeyH = 43, KeyD = 40, KeyC = 54, KeySemicolon = 47;

constexpr Rect Desktop{0, 0, 1920, 1080};

struct Program : MainWindowFixture {
    Program()
    {
        fake.keyboard.modifiers = {
            {LeftShift, ModifierKey::Shift}, {LeftControl, ModifierKey::Control}, {LeftAlt, ModifierKey::Alt}};
        // A "us,ru" keyboard: the first Latin layout is the first one.
        fake.keyboard.letters = {{KeyI, 'I'}, {KeyH, 'H'}, {KeyD, 'D'}, {KeyC, 'C'}, {KeySemicolon, 0}};
        fake.monitors.desktop = Desktop;
        fake.pointer.where = Point{100, 200};
        form->probeTimer()->stop();
        form->probeTick(); // a colour to copy: a sample never taken copies nothing
        form->show();
    }
    void send(QEvent::Type type, int key, Qt::KeyboardModifiers mods, std::uint32_t scanCode)
    {
        QKeyEvent e(type, key, mods, scanCode, 0, 0);
        QApplication::sendEvent(form, &e);
    }
};

Rect rowThrough(Point p) { return {Desktop.x, p.y, Desktop.width, 1}; }
Rect columnThrough(Point p) { return {p.x, Desktop.y, 1, Desktop.height}; }

} // namespace

// Alt pressed or released while Shift is held arrives as Meta (the second
// level of the Alt key); Shift and Ctrl keep their symbols, yet are taken by
// their keys all the same. Every order of pressing and releasing.
TEST(PhysicalKeys, modifiersInEveryOrderWhateverTheirSymbol)
{
    enum Line { Free, Row, Column };
    struct Step {
        bool press;
        int key;
        Qt::KeyboardModifiers before; // the state the server reports
        std::uint32_t scanCode;
        Point pointer;                // where the pointer is at this event
        Line line;                    // the confinement afterwards
        bool rowLocked, columnLocked, altHeld, ctrlHeld;
    };
    const Qt::KeyboardModifiers none = Qt::NoModifier, shift = Qt::ShiftModifier, alt = Qt::AltModifier,
                                ctrl = Qt::ControlModifier;
    const Point a{100, 200}, b{100, 640}, c{700, 640};
    const struct {
        const char* name;
        std::vector<Step> steps;
    } cases[] = {
        {"Shift, Alt, Alt up, Shift up",
         {{true, Qt::Key_Shift, none, LeftShift, a, Column, false, true, false, false},
          {true, Qt::Key_Meta, shift, LeftAlt, b, Row, true, true, true, false},
          // The row stays until Shift goes up too.
          {false, Qt::Key_Meta, shift | alt, LeftAlt, b, Row, false, true, false, false},
          {false, Qt::Key_Shift, shift, LeftShift, b, Free, false, false, false, false}}},
        {"Shift, Alt, Shift up, Alt up",
         {{true, Qt::Key_Shift, none, LeftShift, a, Column, false, true, false, false},
          {true, Qt::Key_Meta, shift, LeftAlt, b, Row, true, true, true, false},
          {false, Qt::Key_Shift, shift | alt, LeftShift, b, Row, true, false, true, false},
          {false, Qt::Key_Alt, alt, LeftAlt, b, Free, false, false, false, false}}},
        {"Alt, Shift, Alt up, Shift up",
         {{true, Qt::Key_Alt, none, LeftAlt, a, Row, true, false, true, false},
          {true, Qt::Key_Shift, alt, LeftShift, c, Column, true, true, true, false},
          {false, Qt::Key_Meta, shift | alt, LeftAlt, c, Column, false, true, false, false},
          // Alt again while Shift is still down: a new row.
          {true, Qt::Key_Meta, shift, LeftAlt, b, Row, true, true, true, false},
          {false, Qt::Key_Meta, shift | alt, LeftAlt, b, Row, false, true, false, false},
          {false, Qt::Key_Shift, shift, LeftShift, b, Free, false, false, false, false}}},
        {"Ctrl, Shift, Alt, all up",
         {{true, Qt::Key_Control, none, LeftControl, a, Free, false, false, false, true},
          {true, Qt::Key_Shift, ctrl, LeftShift, a, Column, false, true, false, true},
          {true, Qt::Key_Meta, ctrl | shift, LeftAlt, b, Row, true, true, true, true},
          {false, Qt::Key_Control, ctrl | shift | alt, LeftControl, b, Row, true, true, true, false},
          {false, Qt::Key_Meta, shift | alt, LeftAlt, b, Row, false, true, false, false},
          {false, Qt::Key_Shift, shift, LeftShift, b, Free, false, false, false, false}}},
    };
    for (const auto& t : cases) {
        Program p;
        for (std::size_t i = 0; i < t.steps.size(); ++i) {
            const Step& s = t.steps[i];
            SCOPED_TRACE(std::string(t.name) + ", step " + std::to_string(i + 1));
            p.fake.pointer.where = s.pointer;
            p.send(s.press ? QEvent::KeyPress : QEvent::KeyRelease, s.key, s.before, s.scanCode);
            EXPECT_EQ(p.form->pointerAids().rowLocked(), s.rowLocked);
            EXPECT_EQ(p.form->pointerAids().columnLocked(), s.columnLocked);
            EXPECT_EQ(p.state.altHeld, s.altHeld);
            EXPECT_EQ(p.state.ctrlHeld, s.ctrlHeld);
            switch (s.line) {
            case Free: EXPECT_EQ(p.fake.pointer.confinement, std::nullopt); break;
            case Row: EXPECT_EQ(p.fake.pointer.confinement, rowThrough(p.form->pointerAids().lockStart())); break;
            case Column: EXPECT_EQ(p.fake.pointer.confinement, columnThrough(p.form->pointerAids().lockStart())); break;
            }
            if (s.line != Free && s.press) {
                EXPECT_EQ(p.form->pointerAids().lockStart(), s.pointer);
            }
        }
    }
}

// The Russian layout active: the keys give Cyrillic letters (Qt's key is the
// letter's upper-case code point), the shortcuts are those of the keys'
// Latin letters with exactly the modifiers held.
TEST(PhysicalKeys, letterShortcutsByTheirLatinLetterInAnyLayout)
{
    constexpr int Sha = 0x0428, Er = 0x0420, Ve = 0x0412, Es = 0x0421, Zhe = 0x0416;
    const struct {
        const char* name;
        int key;
        Qt::KeyboardModifiers mods;
        std::uint32_t scanCode;
        bool closes, hexadecimal, fractions, copied;
    } cases[] = {
        {"I", Sha, Qt::NoModifier, KeyI, true, false, false, false},
        {"Ctrl+I", Sha, Qt::ControlModifier, KeyI, true, false, false, false},
        {"Shift+I", Sha, Qt::ShiftModifier, KeyI, false, false, false, false},
        {"Alt+I", Sha, Qt::AltModifier, KeyI, false, false, false, false},
        {"Ctrl+H", Er, Qt::ControlModifier, KeyH, false, true, false, false},
        {"Ctrl+D", Ve, Qt::ControlModifier, KeyD, false, false, true, false},
        {"Ctrl+C", Es, Qt::ControlModifier, KeyC, false, false, false, true},
        {"Ctrl+C as Qt's Latin fallback gives it", Qt::Key_C, Qt::ControlModifier, KeyC, false, false, false, true},
        {"Ж", Zhe, Qt::NoModifier, KeySemicolon, false, false, false, false},
        // A key that is I only in a later Latin layout is no I.
        {"I of a later layout", Qt::Key_I, Qt::NoModifier, KeySemicolon, false, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Program p;
        p.send(QEvent::KeyPress, c.key, c.mods, c.scanCode);
        p.send(QEvent::KeyRelease, c.key, c.mods, c.scanCode);
        EXPECT_EQ(!p.form->isVisible(), c.closes);
        EXPECT_EQ(p.state.options.hexadecimal, c.hexadecimal);
        EXPECT_EQ(p.state.options.fractions, c.fractions);
        EXPECT_EQ(p.fake.clipboard.writes, c.copied ? 1 : 0);
    }
}
