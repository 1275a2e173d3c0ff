#include <gtest/gtest.h>

#include <QMessageBox>
#include <QScrollBar>
#include <QTest>
#include <QWindow>

#include "help/floating_buttons.h"
#include "help_window_fixture.h"
#include "modal_answer.h"

using namespace tintora;

TEST(HelpWindow, f1TogglesAndThePageIsShown)
{
    WithHelp w;
    w.mainKey(Qt::Key_F1);
    ASSERT_TRUE(w.help->isVisible());
    EXPECT_EQ(w.help->windowTitle(), QStringLiteral("Справка"));
    // The least size is of the whole window, frame included.
    EXPECT_EQ(w.help->minimumSize().grownBy(w.help->windowHandle()->frameMargins()), QSize(520, 306));
    EXPECT_TRUE(w.help->ui().browser->hasDocument());
    const QString text = w.pageText();
    for (const char* expected :
         {"Tintora 1.2", "Пипетка с поддержкой LUT видеоадаптера (LUT — Look Up Table, таблица поправок)",
          "Горячие клавиши", "Ctrl — инвентировать настройку скорости перемещения мыши",
          "Ctrl + (+/-) или контекстное меню лупы — изменение кратности лупы",
          "Ctrl + Alt + C — копировать цвет LUT в виде RRGGBB", "I, Ctrl + I — закрыть приложение",
          "Alt + LMB-click на цвеовом квадрате — откроется диалог выбора цвета LUT", "С уважением,"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected;
    EXPECT_EQ(w.help->ui().browser->source().path().toStdString(), w.programDir.path() + "/tintora/HELP");

    w.mainKey(Qt::Key_F1);
    EXPECT_FALSE(w.help->isVisible());
}

TEST(HelpWindow, ownCloseKeysAndTheMainWindowsCommands)
{
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_F1}) {
        WithHelp w;
        w.form->showHelpFromButton();
        ASSERT_TRUE(w.help->isVisible());
        QTest::keyClick(w.helpFocus(), key);
        EXPECT_FALSE(w.help->isVisible());
        EXPECT_TRUE(w.form->isVisible());
    }
    WithHelp w;
    w.form->showHelpFromButton();
    // The page keeps its scrolling keys; Space scrolls rather than freezing.
    QTest::keyClick(w.helpFocus(), Qt::Key_Space);
    QTest::keyClick(w.helpFocus(), Qt::Key_Down);
    EXPECT_FALSE(w.form->probeTimer()->isActive());
    QTest::keyClick(w.helpFocus(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_TRUE(w.state.options.fractions);
}

TEST(HelpWindow, buttonBringsToFrontWithoutReloadingF1Reloads)
{
    WithHelp w;
    w.form->showHelpFromButton();
    w.help->resize(520, 306);
    QScrollBar* bar = w.help->ui().browser->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 40) << "the page should need scrolling at the smallest size";
    bar->setValue(40);
    // Visible already: brought to the front, the page left as it is.
    w.form->showHelpFromButton();
    EXPECT_EQ(bar->value(), 40);
    // Home loads the page again, from its top.
    w.help->goHome();
    EXPECT_EQ(bar->value(), 0);
    // Back and forward at the ends of the history do nothing.
    bar->setValue(40);
    w.help->goBack();
    w.help->goForward();
    EXPECT_EQ(bar->value(), 40);
    // Every passage from hidden to shown opens the page afresh.
    w.mainKey(Qt::Key_F1);
    w.mainKey(Qt::Key_F1);
    EXPECT_TRUE(w.help->isVisible());
    EXPECT_EQ(bar->value(), 0);
}

TEST(HelpWindow, webLinksGoToTheSystemBrowser)
{
    WithHelp w;
    w.form->showHelpFromButton();
    HelpBrowser* view = w.help->ui().browser;
    const QUrl before = view->source();
    emit view->anchorClicked(QUrl("https://example.org/colour"));
    emit view->anchorClicked(QUrl("ftp://mirror.example.org/?next=http://example.org/"));
    const std::vector<std::string> opened{"https://example.org/colour", "ftp://mirror.example.org/?next=http://example.org/"};
    EXPECT_EQ(w.fake.shell.opened, opened);
    EXPECT_EQ(view->source(), before);
}

TEST(HelpWindow, missingPageIsReportedAndTheWindowShownAllTheSame)
{
    WithHelp w;
    w.help->ui().browser->helpResource = QStringLiteral(":/no-such-page");
    MessageBoxSeen box;
    {
        // The report comes once the window is up.
        ModalAnswer answer(acceptMessageBox(box));
        w.form->showHelpFromButton();
        EXPECT_TRUE(w.help->isVisible());
    }
    EXPECT_TRUE(box.text.startsWith("The help page cannot be loaded")) << box.text.toStdString();
}

TEST(HelpWindow, placeKeptAndButtonsFollowTheWindow)
{
    WithHelp w;
    w.form->showHelpFromButton();
    // Centred in the 1920 x 1040 work area the first time, the whole window:
    // the frame the platform gives it included.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const QRect outer = w.help->frameGeometry();
            return outer.topLeft() == QPoint((1920 - outer.width()) / 2, (1040 - outer.height()) / 2);
        },
        5000))
        << "frame at " << w.help->frameGeometry().x() << ", " << w.help->frameGeometry().y();
    const auto& items = w.help->ui().floatingButtons->items();
    auto expectOverTop = [&] {
        const QRect outer = w.help->frameGeometry();
        const int left = outer.left() + (outer.width() - 26) / 2;
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(items[i]->isVisible());
            EXPECT_EQ(items[i]->x(), left + FloatingButtons::Offsets[i]);
            EXPECT_EQ(items[i]->size(), QSize(26, 26));
        }
    };
    // The buttons follow the frame once the window is up.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const QRect outer = w.help->frameGeometry();
            return items[0]->isVisible() && items[0]->x() == outer.left() + (outer.width() - 26) / 2 + FloatingButtons::Offsets[0];
        },
        5000));
    expectOverTop();
    w.help->move(100, 120);
    w.help->resize(700, 400);
    expectOverTop();
    w.help->close();
    for (auto* b : items) EXPECT_FALSE(b->isVisible());
    w.form->showHelpFromButton();
    EXPECT_EQ(w.help->pos(), QPoint(100, 120));
    EXPECT_EQ(w.help->size(), QSize(700, 400));
    w.help->showMinimized();
    for (auto* b : items) EXPECT_FALSE(b->isVisible());
}

TEST(HelpWindow, ctrlInvertsTheSpeedOnlyAndAnyReleaseRestoresIt)
{
    WithHelp p;
    p.help->showHelp();
    QWidget* target = p.helpFocus();
    auto send = [target](QEvent::Type type, Qt::Key k, Qt::KeyboardModifiers m) {
        QKeyEvent e(type, k, m);
        QApplication::sendEvent(target, &e);
    };
    send(QEvent::KeyPress, Qt::Key_Control, Qt::NoModifier);
    EXPECT_EQ(p.fake.pointer.currentSpeed, 1);
    send(QEvent::KeyPress, Qt::Key_Q, Qt::ControlModifier);
    send(QEvent::KeyRelease, Qt::Key_Q, Qt::ControlModifier);
    // Ctrl is still down, yet the release restores the configured speed.
    EXPECT_EQ(p.fake.pointer.currentSpeed, 10);
    // No locks from the help window.
    send(QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier);
    EXPECT_FALSE(p.fake.pointer.confinement.has_value());
    EXPECT_FALSE(p.form->pointerAids().columnLocked());
}
