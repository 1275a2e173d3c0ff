// However the settings dialog closes, the keyboard is the main window's
// again: without a window manager nobody else would hand it back.

#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>

#include "main_window_fixture.h"

using namespace tintora;

TEST(SettingsDialog, focusGoesBackToTheMainWindowHoweverItCloses)
{
    const struct {
        const char* how;
        std::function<void(SettingsDialog*)> close;
    } cases[] = {
        {"Esc", [](SettingsDialog* s) { QTest::keyClick(s, Qt::Key_Escape); }},
        {"Ctrl+S", [](SettingsDialog* s) { QTest::keyClick(s, Qt::Key_S, Qt::ControlModifier); }},
        {"its close button", [](SettingsDialog* s) { s->close(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        MainWindowFixture p;
        p.form->probeTimer->stop();
        p.form->showMainWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(p.form));
        bool ran = false;
        QTimer::singleShot(0, qApp, [&] {
            ran = QTest::qWaitForWindowActive(p.settings);
            c.close(p.settings);
            if (p.settings->isVisible()) p.settings->close();
        });
        QTest::keyClick(p.form, Qt::Key_S, Qt::ControlModifier);
        ASSERT_TRUE(ran);
        EXPECT_FALSE(p.settings->isVisible());
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == p.form && p.form->hasFocus(); }));
        // The main window's commands answer the keys at once.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_H, Qt::ControlModifier);
        EXPECT_TRUE(p.state.hexadecimal);
    }
}
