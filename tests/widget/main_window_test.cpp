#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "main_window_fixture.h"

using namespace tintora;
using tintora::fake::rampOf;

namespace {

QString text(QLabel* l) { return l->text(); }

struct Readouts {
    QString bitmap[3];
    QString lut[3];
    QString hash;
};

Readouts readouts(TTintoraForm& f)
{
    return {{text(f.sLabel1), text(f.sLabel2), text(f.sLabel3)},
            {text(f.sLabel7), text(f.sLabel8), text(f.sLabel9)},
            text(f.sLabel12)};
}

} // namespace

TEST(MainWindowLayout, componentsWhereTheyBelong)
{
    MainWindowFixture w;
    TTintoraForm& f = *w.form;
    EXPECT_EQ(f.size(), QSize(203, 110));
    EXPECT_TRUE(f.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(f.windowTitle(), "Tintora");
    EXPECT_EQ(f.font().pixelSize(), 11);

    const struct {
        QLabel* label;
        int left, top;
        const char* text;
    } labels[] = {
        {f.sLabel10, 10, 29, "Bitmap:"}, {f.sLabel11, 70, 28, "LUT:"}, {f.sLabel12, 142, 28, "#"},
        {f.sLabel4, 10, 48, "R:"},       {f.sLabel5, 10, 66, "G:"},    {f.sLabel6, 10, 85, "B:"},
        {f.sLabel1, 32, 47, "?"},        {f.sLabel2, 32, 66, "?"},     {f.sLabel3, 32, 85, "?"},
        {f.sLabel7, 70, 48, "?"},        {f.sLabel8, 70, 66, "?"},     {f.sLabel9, 70, 85, "?"},
    };
    for (const auto& l : labels) {
        EXPECT_EQ(l.label->pos(), QPoint(l.left, l.top)) << l.text;
        EXPECT_EQ(l.label->text(), QString::fromUtf8(l.text));
    }
    EXPECT_EQ(f.sPanel1->geometry(), QRect(142, 47, 51, 51));
    EXPECT_EQ(f.sBevel1->geometry(), QRect(63, 28, 3, 74));
    EXPECT_EQ(f.sPanel2->geometry(), QRect(0, 0, 203, 23));

    // Strip from left to right: gear, F1, gap, D, H, magnifier, pin, exit.
    const struct {
        TSpeedButton* button;
        int left;
        int image;
    } buttons[] = {{f.sSpeedButton6, 1, 7},   {f.sSpeedButton5, 24, -1}, {f.sSpeedButton7, 87, 8},
                   {f.sSpeedButton3, 110, 3}, {f.sSpeedButton2, 133, 5}, {f.sSpeedButton1, 156, 1},
                   {f.sSpeedButton4, 179, 0}};
    for (const auto& b : buttons) {
        EXPECT_EQ(b.button->geometry(), QRect(b.left, 1, 23, 21));
        EXPECT_EQ(b.button->ImageIndex(), b.image);
        EXPECT_TRUE(b.button->autoRaise());
    }
    EXPECT_EQ(f.sSpeedButton5->text(), "F1");
    EXPECT_EQ(f.sSpeedButton5->palette().color(QPalette::ButtonText), QColor(255, 255, 0));

    EXPECT_EQ(w.help->windowTitle(), QStringLiteral("Справка"));
    EXPECT_EQ(w.help->size(), QSize(614, 522));
    EXPECT_EQ(w.magnifier->windowTitle(), "Magnifier");
    EXPECT_EQ(w.magnifier->size(), QSize(203, 203));
    EXPECT_EQ(w.settings->windowTitle(), QStringLiteral("Настройки"));
    EXPECT_EQ(w.settings->size(), QSize(237, 147));
    EXPECT_FALSE(w.help->isVisible() || w.magnifier->isVisible() || w.settings->isVisible());
    EXPECT_EQ(w.state.ProgramDir, w.programDir.path().toStdString() + "/");
}

TEST(ProbeTick, oneTickWritesAllEightControlsInEachFormat)
{
    const struct {
        bool hex, dec;
        const char* bitmap[3];
        const char* lut[3];
    } cases[] = {
        {false, false, {"200", "100", "0"}, {"201 (51400)", "100 (25700)", "0 (0)"}},
        {true, false, {"C8", "64", "00"}, {"C9 (C8C8)", "64 (6464)", "00 (0000)"}},
        {false, true, {"0.780", "0.390", "0.000"}, {"0.790 (51400)", "0.390 (25700)", "0.000 (0)"}},
    };
    for (const auto& c : cases) {
        MainWindowFixture w;
        w.fake.screen.pixelValue = 0x000064C8; // red 200, green 100, blue 0
        w.fake.screen.ramp = rampOf([](int i) { return i * 257; });
        w.fake.pointer.where = Point{640, 480};
        w.state.HexMode = c.hex;
        w.state.DecMode = c.dec;
        w.form->Timer1Timer();

        const Readouts r = readouts(*w.form);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(r.bitmap[i], c.bitmap[i]);
            EXPECT_EQ(r.lut[i], c.lut[i]);
        }
        EXPECT_EQ(r.hash, "#C96400");
        EXPECT_EQ(w.form->sPanel1->palette().color(QPalette::Window), QColor(200, 100, 0));
        EXPECT_EQ(w.state.BitmapColor, (Rgb{200, 100, 0}));
        EXPECT_EQ(w.state.LutColor, (Rgb{201, 100, 0}));
        // The ramp asked for is the one of the display under the pointer.
        ASSERT_FALSE(w.fake.screen.rampPoints.empty());
        EXPECT_EQ(w.fake.screen.rampPoints.back(), (Point{640, 480}));
    }
}

TEST(ProbeTick, failedReadsShowInTheValues)
{
    MainWindowFixture w;
    // Pixel read fails, ramp never read.
    w.fake.screen.pixelFails = true;
    w.fake.screen.ramp.reset();
    w.form->Timer1Timer();
    Readouts r = readouts(*w.form);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(r.bitmap[i], "255");
        EXPECT_EQ(r.lut[i], "0 (0)");
    }
    EXPECT_EQ(r.hash, "#000000");

    w.state.HexMode = true;
    w.form->Timer1Timer();
    r = readouts(*w.form);
    EXPECT_EQ(r.bitmap[0], "FF");
    EXPECT_EQ(r.lut[0], "00 (0000)");

    w.state.HexMode = false;
    w.state.DecMode = true;
    w.form->Timer1Timer();
    r = readouts(*w.form);
    EXPECT_EQ(r.bitmap[0], "1.000");
    EXPECT_EQ(r.lut[0], "0.000 (0)");
}

TEST(ProbeTick, rampThatStopsAnsweringKeepsTheLastOne)
{
    MainWindowFixture w;
    w.fake.screen.pixelValue = 0x000064C8;
    w.fake.screen.ramp = rampOf([](int i) { return i * 257; });
    w.form->Timer1Timer();
    w.fake.screen.ramp.reset();
    w.fake.screen.pixelValue = 0x00000080; // red 128
    w.form->Timer1Timer();
    EXPECT_EQ(w.form->sLabel7->text(), "128 (32896)");
}

TEST(ProbeTick, unreadablePointerSamplesTheOrigin)
{
    MainWindowFixture w;
    w.fake.screen.pixels[{0, 0}] = 0x00010203;
    w.fake.pointer.where.reset();
    w.form->Timer1Timer();
    EXPECT_EQ(w.state.BitmapColor, (Rgb{3, 2, 1}));
    EXPECT_EQ(w.fake.screen.rampPoints.back(), (Point{0, 0}));
}

TEST(ProbeTick, fractionsUseTheLocaleSeparator)
{
    MainWindowFixture w({}, ",");
    w.fake.screen.pixelValue = 0x000064C8;
    w.fake.screen.ramp = rampOf([](int i) { return i * 257; });
    w.state.DecMode = true;
    w.form->Timer1Timer();
    EXPECT_EQ(w.form->sLabel7->text(), "0,790 (51400)");
    EXPECT_EQ(w.form->sLabel1->text(), "0,780");
}

TEST(ProbeTimer, ticksEveryFiftyMillisecondsFromCreation)
{
    MainWindowFixture w;
    EXPECT_TRUE(w.form->Timer1->isActive());
    EXPECT_EQ(w.form->Timer1->interval(), 50);
    w.fake.screen.pixelValue = 0x00000005;
    // The first tick arrives through the event loop.
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.form->sLabel1->text() == "5"; }, 5000));
}

TEST(ProbeTick, magnifierButtonFollowsTheMagnifierWindow)
{
    MainWindowFixture w;
    w.magnifier->show();
    w.form->Timer1Timer();
    EXPECT_EQ(w.form->sSpeedButton2->ImageIndex(), 6);
    w.magnifier->hide();
    w.form->Timer1Timer();
    EXPECT_EQ(w.form->sSpeedButton2->ImageIndex(), 5);
}

TEST(StartPosition, commandLineAndCentring)
{
    const struct {
        std::vector<std::string> args;
        QPoint expected;
    } cases[] = {
        {{}, {858, 465}},
        {{"-x", "100", "-y", "200"}, {100, 200}},
        {{"-X", "100"}, {100, 0}},
        {{"-Xpos", "100"}, {0, 0}},
        {{"-Yfoo", "50"}, {0, 50}},
        {{"-x", "5", "-y", "5"}, {0, 0}},
        {{"-x", "-500", "-y", "30000"}, {-500, 30000}},
    };
    for (const auto& c : cases) {
        MainWindowFixture w(c.args);
        w.fake.screen.workArea = {0, 0, 1920, 1040};
        w.form->showMainWindow();
        EXPECT_EQ(w.form->pos(), c.expected) << ::testing::PrintToString(c.args);
        // Shown into the topmost band whatever the settings say.
        ASSERT_TRUE(QTest::qWaitFor([&] { return !w.fake.windows.topmostCalls.empty(); }, 5000));
        EXPECT_TRUE(w.fake.windows.topmostCalls.back().second);
        w.form->close();
    }
}

TEST(Dragging, labelsAndStripMoveTheWindowButtonsAndSeparatorDoNot)
{
    MainWindowFixture w({"-x", "300", "-y", "300"});
    w.form->showMainWindow();
    ASSERT_EQ(w.form->pos(), QPoint(300, 300));

    auto drag = [&](QWidget* target, QPoint by) {
        const QPoint start = target->rect().center();
        QTest::mousePress(target, Qt::LeftButton, Qt::NoModifier, start);
        // Moves are in global coordinates; the window follows the pointer.
        QMouseEvent move(QEvent::MouseMove, QPointF(start + by), QPointF(target->mapToGlobal(start) + by),
                         Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
        QTest::mouseRelease(target, Qt::LeftButton, Qt::NoModifier, start + by);
    };

    drag(w.form->sLabel7, {40, 25});
    EXPECT_EQ(w.form->pos(), QPoint(340, 325));
    drag(w.form->sPanel1, {-40, -25});
    EXPECT_EQ(w.form->pos(), QPoint(300, 300));
    drag(w.form->sPanel2, {5, 0});
    EXPECT_EQ(w.form->pos(), QPoint(305, 300));
    // Dragged within 9 pixels of the left edge: flush with it.
    drag(w.form->sLabel10, {-298, 0});
    EXPECT_EQ(w.form->pos(), QPoint(0, 300));

    const QPoint before = w.form->pos();
    drag(w.form->sSpeedButton3, {50, 50});
    drag(w.form->sBevel1, {50, 50});
    EXPECT_EQ(w.form->pos(), before);
    w.form->close();
}

TEST(Activation, F1CaptionYellowWhenActiveGreyOtherwise)
{
    MainWindowFixture w;
    w.form->ApplicationEvents1Deactivate();
    EXPECT_EQ(w.form->sSpeedButton5->palette().color(QPalette::ButtonText), QColor(128, 128, 128));
    w.form->ApplicationEvents1Activate();
    EXPECT_EQ(w.form->sSpeedButton5->palette().color(QPalette::ButtonText), QColor(255, 255, 0));
}
