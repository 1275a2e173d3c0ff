// The main window's keys reaching the pointer: the Ctrl speed with the
// commands, switching away and closing, and the arrow keys' nudging. The
// locks' and speeds' own rules are PointerAids' tests (unit).

#include <gtest/gtest.h>

#include <QTest>
#include <iostream>
#include <sstream>

#include "main_window_fixture.h"
#include "pointer/pointer_aids.h"

using namespace tintora;

namespace {

constexpr Rect Desktop{-1280, 0, 3200, 1080};

struct Program : MainWindowFixture {
    explicit Program(bool slowMouse, int userSpeed = UserSpeed)
    {
        fake.pointer.currentSpeed = userSpeed;
        // The fixture's windows were made with the default fake speed; take
        // the speed found at start again as the program would.
        state.userPointerSpeed = userSpeed;
        state.options.slowPointer = slowMouse;
        fake.monitors.desktop = Desktop;
        fake.pointer.where = Point{100, 200};
        form->probeTimer()->stop();
        form->show();
    }
    // Exactly one key event each, with the modifiers the server reports
    // (the state before the event); QTest would add modifier presses.
    void down(Qt::Key k, Qt::KeyboardModifiers m) { send(form, QEvent::KeyPress, k, m); }
    void up(Qt::Key k, Qt::KeyboardModifiers m) { send(form, QEvent::KeyRelease, k, m); }
    static void send(QWidget* w, QEvent::Type type, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier,
                     bool autoRepeat = false)
    {
        QKeyEvent e(type, k, m, QString(), autoRepeat);
        QApplication::sendEvent(w, &e);
    }
};

} // namespace

TEST(PointerSpeed, commandUnderCtrlReappliesTheSlowSpeed)
{
    Program p(true);
    p.down(Qt::Key_Control, Qt::NoModifier);
    EXPECT_EQ(p.fake.pointer.currentSpeed, 10);
    // Ctrl+M runs the magnifier command, which calls applySlowPointer.
    p.down(Qt::Key_M, Qt::ControlModifier);
    EXPECT_TRUE(p.magnifier->isVisible());
    EXPECT_EQ(p.fake.pointer.currentSpeed, 1);
}

TEST(PointerSpeed, switchingAwayLiftsLocksAndInversion)
{
    Program p(true);
    p.down(Qt::Key_Alt, Qt::ControlModifier);
    ASSERT_TRUE(p.fake.pointer.confinement.has_value());
    ASSERT_EQ(p.fake.pointer.currentSpeed, 10);
    p.form->applicationDeactivated();
    EXPECT_FALSE(p.fake.pointer.confinement.has_value());
    EXPECT_FALSE(p.form->pointerAids().rowLocked() || p.form->pointerAids().columnLocked());
    EXPECT_FALSE(p.state.altHeld || p.state.ctrlHeld);
    EXPECT_EQ(p.fake.pointer.currentSpeed, 1);
}

TEST(PointerSpeed, closingGivesTheSystemStateBack)
{
    Program p(true, 10);
    p.form->applySlowPointer();
    p.down(Qt::Key_Shift, Qt::NoModifier);
    ASSERT_EQ(p.fake.pointer.currentSpeed, 1);
    p.form->close();
    EXPECT_EQ(p.fake.pointer.currentSpeed, 10);
    EXPECT_EQ(p.fake.pointer.speedsSet.back(), 10);
    EXPECT_FALSE(p.fake.pointer.confinement.has_value());
    EXPECT_EQ(p.fake.clipboard.keepCalls, 1);
}

TEST(Nudge, arrowsMoveThePointerOnePixelAsTheLocksAllow)
{
    Program p(false);
    p.fake.pointer.where = Point{100, 200};
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        Point after;
    } steps[] = {
        {Qt::Key_Right, Qt::NoModifier, {101, 200}},
        {Qt::Key_Down, Qt::NoModifier, {101, 201}},
        {Qt::Key_Left, Qt::KeypadModifier, {100, 201}},
        {Qt::Key_Up, Qt::ControlModifier, {100, 200}},
        // Alt holds the row: Up and Down do nothing, Left and Right move.
        {Qt::Key_Up, Qt::AltModifier, {100, 200}},
        {Qt::Key_Left, Qt::AltModifier, {99, 200}},
        // Shift holds the column.
        {Qt::Key_Left, Qt::ShiftModifier, {99, 200}},
        {Qt::Key_Down, Qt::ShiftModifier, {99, 201}},
    };
    for (const auto& s : steps) {
        p.send(p.form, QEvent::KeyPress, s.key, s.mods);
        EXPECT_EQ(p.fake.pointer.where, s.after) << s.key << " " << s.mods.toInt();
        p.send(p.form, QEvent::KeyRelease, s.key, s.mods);
        p.send(p.form, QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier); // every lock lifted
    }
    // Every move a warp to the exact pixel, none while a lock held the axis.
    EXPECT_EQ(p.fake.pointer.moves.size(), 6u);
}

TEST(Nudge, autoRepeatKeepsNudging)
{
    Program p(false);
    p.fake.pointer.where = Point{100, 200};
    p.send(p.form, QEvent::KeyPress, Qt::Key_Right);
    for (int i = 0; i < 9; ++i) {
        // Auto-repeat sends a release before each repeated press.
        p.send(p.form, QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier, true);
        p.send(p.form, QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, true);
    }
    p.send(p.form, QEvent::KeyRelease, Qt::Key_Right);
    EXPECT_EQ(p.fake.pointer.where, (Point{110, 200}));
}

TEST(RefusedPointerAids, keysAskNothingOfAPointerTheSystemHoldsBack)
{
    // Wayland: no speed, no confinement, no warp for a program.
    Program p(true);
    p.fake.pointer.speedSettable = false;
    p.fake.pointer.confinable = false;
    p.fake.pointer.movable = false;
    // The start says so on the standard error, once for each aid.
    std::ostringstream errors;
    std::streambuf* const stderrBuffer = std::cerr.rdbuf(errors.rdbuf());
    p.form->showMainWindow();
    std::cerr.rdbuf(stderrBuffer);
    std::string expected;
    for (const std::string& notice : refusedPointerAids(p.fake.pointer)) expected += "tintora: " + notice + "\n";
    EXPECT_EQ(errors.str(), expected);
    EXPECT_NE(expected.find("the slow pointer is unavailable"), std::string::npos);
    p.form->applySlowPointer();
    p.down(Qt::Key_Alt, Qt::ControlModifier);
    p.down(Qt::Key_Shift, Qt::AltModifier | Qt::ControlModifier);
    p.down(Qt::Key_Right, Qt::AltModifier | Qt::ShiftModifier | Qt::ControlModifier);
    p.down(Qt::Key_Down, Qt::NoModifier);
    EXPECT_FALSE(p.form->pointerAids().rowLocked() || p.form->pointerAids().columnLocked());
    // The swatch click still tells the held Alt and Ctrl.
    p.down(Qt::Key_A, Qt::AltModifier | Qt::ControlModifier);
    EXPECT_TRUE(p.state.altHeld && p.state.ctrlHeld);
    // Ctrl+M's re-applied speed, the releases, switching away, the close.
    p.down(Qt::Key_M, Qt::ControlModifier);
    p.up(Qt::Key_Control, Qt::NoModifier);
    p.form->applicationDeactivated();
    p.form->close();
    EXPECT_TRUE(p.fake.pointer.speedsSet.empty());
    EXPECT_TRUE(p.fake.pointer.confinements.empty());
    EXPECT_TRUE(p.fake.pointer.moves.empty());
    EXPECT_EQ(p.fake.pointer.where, (Point{100, 200}));
}
