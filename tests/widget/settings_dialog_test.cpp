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
