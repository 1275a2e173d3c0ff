// The settings dialog: however it closes, the box becomes the option and the
// keyboard is the main window's again (without a window manager nobody else
// would hand it back).

#include <gtest/gtest.h>

#include <QTest>

#include "main_window_fixture.h"
#include "modal_answer.h"

using namespace tintora;

namespace {

// Where a user's key goes in the dialog: its focused control.
QWidget* keyTarget(SettingsDialog* s) { return s->focusWidget() ? s->focusWidget() : s; }

} // namespace

TEST(SettingsDialog, focusGoesBackToTheMainWindowHoweverItCloses)
{
    const struct {
        const char* how;
        std::function<void(SettingsDialog*)> close;
    } cases[] = {
        {"Esc", [](SettingsDialog* s) { QTest::keyClick(keyTarget(s), Qt::Key_Escape); }},
        {"Ctrl+S", [](SettingsDialog* s) { QTest::keyClick(keyTarget(s), Qt::Key_S, Qt::ControlModifier); }},
        {"its close button", [](SettingsDialog* s) { s->close(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        MainWindowFixture p;
        p.form->probeTimer()->stop();
        p.form->showMainWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(p.form));
        bool active = false;
        {
            ModalAnswer answer([&](QWidget*) {
                active = QTest::qWaitForWindowActive(p.settings);
                c.close(p.settings);
            });
            QTest::keyClick(p.form, Qt::Key_S, Qt::ControlModifier);
        }
        ASSERT_TRUE(active);
        EXPECT_FALSE(p.settings->isVisible());
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == p.form && p.form->hasFocus(); }));
        // The main window's commands answer the keys at once.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_H, Qt::ControlModifier);
        EXPECT_TRUE(p.state.options.hexadecimal);
    }
}

TEST(SettingsDialog, appliesTheBoxHoweverClosed)
{
    const struct {
        bool slowBefore;
        bool tick;
        int speedAfter;
    } cases[] = {{false, false, 10}, {false, true, 1}, {true, false, 1}, {true, true, 10}};
    for (const auto& c : cases) {
        MainWindowFixture p;
        p.state.options.slowPointer = c.slowBefore;
        p.form->probeTimer()->stop();
        p.form->show();
        {
            ModalAnswer answer([&](QWidget*) {
                if (c.tick) p.settings->ui().slowPointerBox->toggle();
                p.settings->close();
            });
            p.form->showSettings();
        }
        EXPECT_EQ(p.state.options.slowPointer, c.slowBefore != c.tick);
        EXPECT_EQ(p.fake.pointer.currentSpeed, c.speedAfter);
    }
}

TEST(SettingsDialog, whereTheSpeedCannotBeSetTheBoxIsDisabledAndSaysWhy)
{
    for (const bool slowBefore : {false, true}) {
        SCOPED_TRACE(slowBefore);
        MainWindowFixture p;
        p.fake.pointer.speedSettable = false;
        p.state.options.slowPointer = slowBefore;
        p.form->probeTimer()->stop();
        p.form->show();
        bool enabled = true, checked = true;
        QString tip;
        {
            ModalAnswer answer([&](QWidget*) {
                const QCheckBox* box = p.settings->ui().slowPointerBox;
                enabled = box->isEnabled();
                checked = box->isChecked();
                tip = box->toolTip();
                // A disabled box takes no click.
                QTest::mouseClick(p.settings->ui().slowPointerBox, Qt::LeftButton);
                QTest::keyClick(keyTarget(p.settings), Qt::Key_Escape);
            });
            p.form->showSettings();
        }
        EXPECT_FALSE(enabled);
        // The slow pointer is off, as it is in such a session.
        EXPECT_FALSE(checked);
        EXPECT_EQ(tip.toStdString(), "This session does not let programs change the pointer speed.");
        // The stored option is kept for sessions that allow it, and nobody
        // asked for a speed.
        EXPECT_EQ(p.state.options.slowPointer, slowBefore);
        EXPECT_TRUE(p.fake.pointer.speedsSet.empty());
    }
    // Where it can, the box is live again and says nothing.
    MainWindowFixture p;
    p.form->probeTimer()->stop();
    p.form->show();
    bool enabled = false;
    QString tip = "?";
    {
        ModalAnswer answer([&](QWidget*) {
            enabled = p.settings->ui().slowPointerBox->isEnabled();
            tip = p.settings->ui().slowPointerBox->toolTip();
            p.settings->close();
        });
        p.form->showSettings();
    }
    EXPECT_TRUE(enabled);
    EXPECT_TRUE(tip.isEmpty());
}
