#include <gtest/gtest.h>

#include <QTest>

#include "main_window_fixture.h"
#include "modal_answer.h"

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
        fake.screen.desktop = Desktop;
        fake.pointer.where = Point{100, 200};
        form->probeTimer->stop();
        form->show();
    }
    // Exactly one key event each, with the modifiers the server reports
    // (the state before the event); QTest would add modifier presses.
    void down(Qt::Key k, Qt::KeyboardModifiers m) { send(form, QEvent::KeyPress, k, m); }
    void up(Qt::Key k, Qt::KeyboardModifiers m) { send(form, QEvent::KeyRelease, k, m); }
    static void send(QWidget* w, QEvent::Type type, Qt::Key k, Qt::KeyboardModifiers m)
    {
        QKeyEvent e(type, k, m);
        QApplication::sendEvent(w, &e);
    }
};

const Rect Row200{-1280, 200, 3200, 1};

} // namespace

TEST(AxisLocks, altThenShiftThenReleases)
{
    Program p(false);
    p.down(Qt::Key_Alt, Qt::NoModifier);
    EXPECT_TRUE(p.form->rowLocked);
    EXPECT_EQ(p.fake.pointer.confinement, Row200);
    EXPECT_TRUE(p.state.altHeld);

    // Auto-repeat of the held Alt does not move the row.
    p.fake.pointer.where = Point{150, 200};
    p.down(Qt::Key_Alt, Qt::AltModifier);
    EXPECT_EQ(p.fake.pointer.confinement, Row200);

    // Shift while Alt is down: the column through where the pointer got to.
    p.down(Qt::Key_Shift, Qt::AltModifier);
    EXPECT_TRUE(p.form->columnLocked);
    EXPECT_EQ(p.fake.pointer.confinement, (Rect{150, 0, 1, 1080}));
    EXPECT_EQ(p.form->lockStart, (Point{150, 200}));

    // Shift up, Alt still down: the column stays.
    p.up(Qt::Key_Shift, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_FALSE(p.form->columnLocked);
    EXPECT_TRUE(p.form->rowLocked);
    EXPECT_EQ(p.fake.pointer.confinement, (Rect{150, 0, 1, 1080}));

    p.up(Qt::Key_Alt, Qt::AltModifier);
    EXPECT_FALSE(p.form->rowLocked);
    EXPECT_FALSE(p.fake.pointer.confinement.has_value());
    EXPECT_FALSE(p.state.altHeld);
}

TEST(AxisLocks, shiftThenAltReleaseAltFirst)
{
    Program p(false);
    p.down(Qt::Key_Shift, Qt::NoModifier);
    EXPECT_EQ(p.fake.pointer.confinement, (Rect{100, 0, 1, 1080}));
    p.fake.pointer.where = Point{100, 640};
    p.down(Qt::Key_Alt, Qt::ShiftModifier);
    EXPECT_EQ(p.fake.pointer.confinement, (Rect{-1280, 640, 3200, 1}));
    p.up(Qt::Key_Alt, Qt::ShiftModifier | Qt::AltModifier);
    EXPECT_EQ(p.fake.pointer.confinement, (Rect{-1280, 640, 3200, 1}));
    EXPECT_TRUE(p.form->columnLocked);
    p.up(Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_FALSE(p.fake.pointer.confinement.has_value());
}

TEST(AxisLocks, bothHeldAtOnceTakesTheColumn)
{
    Program p(false);
    p.down(Qt::Key_A, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_TRUE(p.form->rowLocked && p.form->columnLocked);
    EXPECT_EQ(p.fake.pointer.confinement, (Rect{100, 0, 1, 1080}));
    // An ordinary key released with no modifier lifts everything.
    p.up(Qt::Key_A, Qt::NoModifier);
    EXPECT_FALSE(p.fake.pointer.confinement.has_value());
}

TEST(PointerSpeed, ctrlInvertsTheSlowOption)
{
    const struct {
        bool slow;
        int whileCtrl, afterRelease;
    } cases[] = {{true, 10, 1}, {false, 1, 10}};
    for (const auto& c : cases) {
        Program p(c.slow);
        p.down(Qt::Key_Control, Qt::NoModifier);
        EXPECT_EQ(p.fake.pointer.currentSpeed, c.whileCtrl);
        EXPECT_TRUE(p.state.ctrlHeld);
        p.up(Qt::Key_Control, Qt::ControlModifier);
        EXPECT_EQ(p.fake.pointer.currentSpeed, c.afterRelease);
        EXPECT_FALSE(p.state.ctrlHeld);
    }
}

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

TEST(PointerSpeed, helpAndSettingsWindowsInvertOnlyAndRestoreOnAnyRelease)
{
    Program p(false);
    p.help->showHelp();
    QWidget* target = p.help->focusWidget() ? p.help->focusWidget() : p.help;
    Program::send(target, QEvent::KeyPress, Qt::Key_Control, Qt::NoModifier);
    EXPECT_EQ(p.fake.pointer.currentSpeed, 1);
    Program::send(target, QEvent::KeyPress, Qt::Key_Q, Qt::ControlModifier);
    Program::send(target, QEvent::KeyRelease, Qt::Key_Q, Qt::ControlModifier);
    // Ctrl is still down, yet the release restores the configured speed.
    EXPECT_EQ(p.fake.pointer.currentSpeed, 10);
    // No locks from the help window.
    Program::send(target, QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier);
    EXPECT_FALSE(p.fake.pointer.confinement.has_value());
    EXPECT_FALSE(p.form->columnLocked);
}

TEST(PointerSpeed, settingsDialogAppliesTheBoxHoweverClosed)
{
    const struct {
        bool slowBefore;
        bool tick;
        int speedAfter;
    } cases[] = {{false, false, 10}, {false, true, 1}, {true, false, 1}, {true, true, 10}};
    for (const auto& c : cases) {
        Program p(c.slowBefore);
        {
            ModalAnswer answer([&](QWidget*) {
                if (c.tick) p.settings->slowPointerBox->toggle();
                p.settings->close();
            });
            p.form->showSettings();
        }
        EXPECT_EQ(p.state.options.slowPointer, c.slowBefore != c.tick);
        EXPECT_EQ(p.fake.pointer.currentSpeed, c.speedAfter);
    }
}

TEST(PointerSpeed, switchingAwayLiftsLocksAndInversion)
{
    Program p(true);
    p.down(Qt::Key_Alt, Qt::ControlModifier);
    ASSERT_TRUE(p.fake.pointer.confinement.has_value());
    ASSERT_EQ(p.fake.pointer.currentSpeed, 10);
    p.form->applicationDeactivated();
    EXPECT_FALSE(p.fake.pointer.confinement.has_value());
    EXPECT_FALSE(p.form->rowLocked || p.form->columnLocked);
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
