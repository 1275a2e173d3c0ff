// However the settings dialog closes, the keyboard is the main window's
// again: without a window manager nobody else would hand it back.

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
        p.form->probeTimer->stop();
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
