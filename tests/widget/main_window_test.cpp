#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "main_window_fixture.h"
#include "modal_answer.h"

using namespace tintora;
using tintora::fake::rampOf;

namespace {

QString text(QLabel* l) { return l->text(); }

struct Readouts {
    QString bitmap[3];
    QString lut[3];
    QString hash;
};

Readouts readouts(MainWindow& f)
{
    return {{text(f.ui().bitmapRedLabel), text(f.ui().bitmapGreenLabel), text(f.ui().bitmapBlueLabel)},
            {text(f.ui().lutRedLabel), text(f.ui().lutGreenLabel), text(f.ui().lutBlueLabel)},
            text(f.ui().hexColourLabel)};
}

} // namespace

TEST(MainWindowLayout, componentsWhereTheyBelong)
{
    MainWindowFixture w;
    MainWindow& f = *w.form;
    EXPECT_EQ(f.size(), QSize(203, 110));
    EXPECT_TRUE(f.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(f.windowTitle(), "Tintora");
    EXPECT_EQ(f.font().pixelSize(), 11);

    const struct {
        QLabel* label;
        int left, top;
        const char* text;
    } labels[] = {
        {f.ui().bitmapCaption, 10, 29, "Bitmap:"}, {f.ui().lutCaption, 70, 28, "LUT:"}, {f.ui().hexColourLabel, 142, 28, "#"},
        {f.ui().redCaption, 10, 48, "R:"},       {f.ui().greenCaption, 10, 66, "G:"},    {f.ui().blueCaption, 10, 85, "B:"},
        {f.ui().bitmapRedLabel, 32, 47, "?"},        {f.ui().bitmapGreenLabel, 32, 66, "?"},     {f.ui().bitmapBlueLabel, 32, 85, "?"},
        {f.ui().lutRedLabel, 70, 48, "?"},        {f.ui().lutGreenLabel, 70, 66, "?"},     {f.ui().lutBlueLabel, 70, 85, "?"},
    };
    for (const auto& l : labels) {
        EXPECT_EQ(l.label->pos(), QPoint(l.left, l.top)) << l.text;
        EXPECT_EQ(l.label->text(), QString::fromUtf8(l.text));
    }
    EXPECT_EQ(f.ui().swatch->geometry(), QRect(142, 47, 51, 51));
    EXPECT_EQ(f.ui().columnSeparator->geometry(), QRect(63, 28, 3, 74));
    EXPECT_EQ(f.ui().titleStrip->geometry(), QRect(0, 0, 203, 23));

    // Strip from left to right: gear, F1, gap, D, H, magnifier, pin, exit.
    const struct {
        TitleButton* button;
        int left;
        ButtonImage image;
    } buttons[] = {{f.ui().settingsButton, 1, ButtonImage::Gear},   {f.ui().helpButton, 24, ButtonImage::None}, {f.ui().fractionButton, 87, ButtonImage::FractionOff},
                   {f.ui().hexButton, 110, ButtonImage::HexOff}, {f.ui().magnifierButton, 133, ButtonImage::MagnifierHidden}, {f.ui().pinButton, 156, ButtonImage::PinOff},
                   {f.ui().exitButton, 179, ButtonImage::Exit}};
    for (const auto& b : buttons) {
        EXPECT_EQ(b.button->geometry(), QRect(b.left, 1, 23, 21));
        EXPECT_EQ(b.button->image(), b.image);
        EXPECT_TRUE(b.button->autoRaise());
    }
    EXPECT_EQ(f.ui().helpButton->text(), "F1");
    EXPECT_EQ(f.ui().helpButton->palette().color(QPalette::ButtonText), QColor(255, 255, 0));

    EXPECT_EQ(w.help->windowTitle(), QStringLiteral("Справка"));
    EXPECT_EQ(w.help->size(), QSize(614, 522));
    EXPECT_EQ(w.magnifier->windowTitle(), "Magnifier");
    EXPECT_EQ(w.magnifier->size(), QSize(203, 203));
    EXPECT_EQ(w.settings->windowTitle(), QStringLiteral("Настройки"));
    EXPECT_EQ(w.settings->size(), QSize(237, 147));
    EXPECT_FALSE(w.help->isVisible() || w.magnifier->isVisible() || w.settings->isVisible());
    EXPECT_EQ(w.state.programDir, w.programDir.path() + "/");
}

// The texts of each number format are the readout tests' (unit); here one
// tick's sample reaches each of the eight controls, the swatch and the state.
// The formats' way to the labels is in the display-mode tests.
TEST(probeTick, oneTickWritesAllEightControls)
{
    MainWindowFixture w;
    w.fake.pixels.pixelValue = 0x000064C8; // red 200, green 100, blue 0
    w.fake.ramps.ramp = rampOf([](int i) { return i * 257; });
    w.fake.pointer.where = Point{640, 480};
    w.form->probeTick();

    const Readouts r = readouts(*w.form);
    const char* bitmap[3] = {"200", "100", "0"};
    const char* lut[3] = {"201 (51400)", "100 (25700)", "0 (0)"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(r.bitmap[i], bitmap[i]);
        EXPECT_EQ(r.lut[i], lut[i]);
    }
    EXPECT_EQ(r.hash, "#C96400");
    EXPECT_EQ(w.form->ui().swatch->palette().color(QPalette::Window), QColor(200, 100, 0));
    EXPECT_EQ(w.form->sample().bitmap, (Rgb{200, 100, 0}));
    EXPECT_EQ(w.form->sample().lut(), (Rgb{201, 100, 0}));
    // The ramp asked for is the one of the display under the pointer.
    ASSERT_FALSE(w.fake.ramps.rampPoints.empty());
    EXPECT_EQ(w.fake.ramps.rampPoints.back(), (Point{640, 480}));
}

// What cannot be read shows as missing, as before the first tick, in every
// number format: no level is made up, the swatch shows no colour, and
// copying it puts nothing on the clipboard.
TEST(probeTick, failedReadsShowAsMissing)
{
    MainWindowFixture w;
    const QColor background = w.form->palette().color(QPalette::Window);
    const Readouts before = readouts(*w.form);
    EXPECT_EQ(before.bitmap[0], "?");
    EXPECT_EQ(before.hash, "#");
    w.fake.pixels.pixelValue = 0x000064C8;
    w.fake.ramps.ramp = rampOf([](int i) { return i * 257; });
    w.form->probeTick();

    const struct {
        const char* name;
        bool pixel;
        bool ramp;
        const char* bitmap[3];
        const char* bitmapHex[3];
    } cases[] = {
        {"no ramp", true, false, {"200", "100", "0"}, {"C8", "64", "00"}},
        {"no pixel", false, true, {"?", "?", "?"}, {"?", "?", "?"}},
        {"neither", false, false, {"?", "?", "?"}, {"?", "?", "?"}},
    };
    for (const auto& c : cases) {
        for (const bool hex : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (hex ? ", hexadecimal" : ""));
            w.state.options.hexadecimal = hex;
            w.fake.pixels.pixelFails = !c.pixel;
            if (c.ramp)
                w.fake.ramps.ramp = rampOf([](int i) { return i * 257; });
            else
                w.fake.ramps.ramp.reset();
            w.form->probeTick();
            const Readouts r = readouts(*w.form);
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(r.bitmap[i], hex ? c.bitmapHex[i] : c.bitmap[i]);
                EXPECT_EQ(r.lut[i], "?");
            }
            EXPECT_EQ(r.hash, "#");
            EXPECT_EQ(w.form->ui().swatch->palette().color(QPalette::Window),
                      c.pixel ? QColor(200, 100, 0) : background);

            // Frozen on it: the copies take only what was read.
            w.fake.clipboard.text = "before";
            w.form->toggleFreeze();
            ASSERT_FALSE(w.form->probing());
            w.form->copyBitmapColour();
            EXPECT_EQ(w.fake.clipboard.text, c.pixel ? "C86400" : "before");
            w.form->copyLutColour();
            EXPECT_EQ(w.fake.clipboard.text, c.pixel ? "C86400" : "before") << "no LUT colour to copy";
            w.form->toggleFreeze();
        }
    }
}

TEST(probeTick, unreadablePointerSamplesTheOrigin)
{
    MainWindowFixture w;
    w.fake.pixels.overrides[{0, 0}] = 0x00010203;
    w.fake.pointer.where.reset();
    w.form->probeTick();
    EXPECT_EQ(w.form->sample().bitmap, (Rgb{3, 2, 1}));
    EXPECT_EQ(w.fake.ramps.rampPoints.back(), (Point{0, 0}));
}

TEST(probeTick, fractionsUseTheLocaleSeparator)
{
    MainWindowFixture w({}, ",");
    w.fake.pixels.pixelValue = 0x000064C8;
    w.fake.ramps.ramp = rampOf([](int i) { return i * 257; });
    w.state.options.fractions = true;
    w.form->probeTick();
    EXPECT_EQ(w.form->ui().lutRedLabel->text(), "0,790 (51400)");
    EXPECT_EQ(w.form->ui().bitmapRedLabel->text(), "0,780");
}

TEST(ProbeTimer, ticksEveryFiftyMillisecondsFromCreation)
{
    MainWindowFixture w;
    EXPECT_TRUE(w.form->probeTimer()->isActive());
    EXPECT_EQ(w.form->probeTimer()->interval(), 50);
    w.fake.pixels.pixelValue = 0x00000005;
    // The first tick arrives through the event loop.
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.form->ui().bitmapRedLabel->text() == "5"; }, 5000));
}

TEST(probeTick, magnifierButtonFollowsTheMagnifierWindow)
{
    MainWindowFixture w;
    w.magnifier->show();
    w.form->probeTick();
    EXPECT_EQ(w.form->ui().magnifierButton->image(), ButtonImage::MagnifierShown);
    w.magnifier->hide();
    w.form->probeTick();
    EXPECT_EQ(w.form->ui().magnifierButton->image(), ButtonImage::MagnifierHidden);
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
        w.fake.monitors.workArea = {0, 0, 1920, 1040};
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

    drag(w.form->ui().lutRedLabel, {40, 25});
    EXPECT_EQ(w.form->pos(), QPoint(340, 325));
    drag(w.form->ui().swatch, {-40, -25});
    EXPECT_EQ(w.form->pos(), QPoint(300, 300));
    drag(w.form->ui().titleStrip, {5, 0});
    EXPECT_EQ(w.form->pos(), QPoint(305, 300));
    // Dragged within 9 pixels of the left edge: flush with it.
    drag(w.form->ui().bitmapCaption, {-298, 0});
    EXPECT_EQ(w.form->pos(), QPoint(0, 300));

    const QPoint before = w.form->pos();
    drag(w.form->ui().hexButton, {50, 50});
    drag(w.form->ui().columnSeparator, {50, 50});
    EXPECT_EQ(w.form->pos(), before);

    // Where the compositor alone places windows, the drag is its own: the
    // window asks for no place of its own reckoning.
    w.fake.windows.placesWindows = false;
    drag(w.form->ui().lutRedLabel, {40, 25});
    EXPECT_EQ(w.form->pos(), before);
    w.form->close();
}

// Where the compositor alone places windows, no window of the program moves
// itself: not the main window at its first showing, not the magnifier onto
// it, nor the LUT window, the help window or the settings dialog at theirs.
TEST(WindowPlacement, whereTheCompositorPlacesWindowsNoWindowMovesItself)
{
    for (const bool placesWindows : {true, false}) {
        SCOPED_TRACE(placesWindows ? "the program places its windows" : "the compositor places them");
        {
            MainWindowFixture w;
            w.fake.windows.placesWindows = placesWindows;
            w.form->showMainWindow();
            EXPECT_EQ(w.form->pos(), placesWindows ? QPoint(858, 465) : QPoint(0, 0)) << "not centred";
            w.form->close();
        }
        // The main window where the command line put it.
        MainWindowFixture w({"-x", "500", "-y", "400"});
        w.form->probeTimer()->stop();
        w.fake.windows.placesWindows = placesWindows;
        w.form->showMainWindow();
        ASSERT_EQ(w.form->pos(), QPoint(500, 400));
        w.form->toggleMagnifier();
        w.form->toggleLutCurves();
        w.help->showHelp();
        QPoint settingsShown;
        {
            ModalAnswer answer([&](QWidget*) {
                settingsShown = w.settings->pos();
                w.settings->close();
            });
            w.form->showSettings();
        }

        const struct {
            const char* window;
            QPoint shown, placed;
        } windows[] = {
            {"magnifier", w.magnifier->pos(), {500, 400 - 203}},
            {"LUT", w.windows->lutWindow->pos(), {500 + 203 + 8, 400}},
            // These two by their whole size, frame included.
            {"help", w.help->pos(),
             {(1920 - w.help->frameGeometry().width()) / 2, (1040 - w.help->frameGeometry().height()) / 2}},
            {"settings", settingsShown,
             {500 + (203 - w.settings->frameGeometry().width()) / 2, 400 + (110 - w.settings->frameGeometry().height()) / 2}},
        };
        for (const auto& c : windows) {
            SCOPED_TRACE(c.window);
            // The toolkit may give a window that was never placed a first
            // place of its own; the program's place it does not get.
            if (placesWindows)
                EXPECT_EQ(c.shown, c.placed);
            else
                EXPECT_NE(c.shown, c.placed);
        }
        w.form->close();
    }
}

TEST(Activation, F1CaptionYellowWhenActiveGreyOtherwise)
{
    MainWindowFixture w;
    w.form->applicationDeactivated();
    EXPECT_EQ(w.form->ui().helpButton->palette().color(QPalette::ButtonText), QColor(128, 128, 128));
    w.form->applicationActivated();
    EXPECT_EQ(w.form->ui().helpButton->palette().color(QPalette::ButtonText), QColor(255, 255, 0));
}
