#include <gtest/gtest.h>

#include <QMessageBox>
#include <QTest>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <sstream>

#include "main_window_fixture.h"
#include "modal_answer.h"

using namespace tintora;
using tintora::fake::rampOf;

namespace {

// A running program over the fake platform: pixel (200, 100, 0) under the
// pointer, every ramp table i * 257, one tick taken.
struct Running : MainWindowFixture {
    Running()
    {
        fake.pixels.pixelValue = 0x000064C8;
        fake.ramps.ramp = rampOf([](int i) { return i * 257; });
        fake.pointer.where = Point{500, 400};
        form->showMainWindow();
        form->probeTick();
    }
    ~Running() { form->probeTimer()->stop(); }

    void press(QWidget* w, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyPress(w, key, mods); }
    void release(QWidget* w, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyRelease(w, key, mods);
    }
    void click(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(form, key, mods); }
};

} // namespace

TEST(KeyDispatch, exactModifierSetsOnly)
{
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        bool closes;
    } cases[] = {
        {Qt::Key_I, Qt::ShiftModifier, false},
        {Qt::Key_I, Qt::AltModifier, false},
        {Qt::Key_I, Qt::ControlModifier | Qt::ShiftModifier, false},
        {Qt::Key_I, Qt::NoModifier, true},
        {Qt::Key_I, Qt::ControlModifier, true},
        {Qt::Key_Escape, Qt::NoModifier, true},
    };
    for (const auto& c : cases) {
        Running p;
        p.click(c.key, c.mods);
        EXPECT_EQ(!p.form->isVisible(), c.closes) << c.key << " " << c.mods.toInt();
    }
}

TEST(KeyDispatch, copyShortcutsAndAltGr)
{
    Running p;
    p.click(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(p.fake.clipboard.writes, 0);
    // The right Alt acting as AltGr: no shortcut matches.
    p.click(Qt::Key_C, Qt::ControlModifier | Qt::GroupSwitchModifier);
    EXPECT_EQ(p.fake.clipboard.writes, 0);

    p.click(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(p.fake.clipboard.text, "C86400");
    p.click(Qt::Key_C, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(p.fake.clipboard.text, "C96400");
    EXPECT_EQ(p.form->ui().hexColourLabel->text(), "#C96400");
    EXPECT_EQ(p.fake.clipboard.writes, 2);
}

// Without a ramp there is no LUT colour: its copy writes nothing, rather than
// a made-up black.
TEST(KeyDispatch, copyOfAnUnreadColourWritesNothing)
{
    MainWindowFixture w;
    w.form->probeTimer()->stop();
    w.form->copyBitmapColour();
    EXPECT_EQ(w.fake.clipboard.writes, 0) << "before the first tick nothing was read";
    w.fake.pixels.pixelValue = 0;
    w.form->probeTick(); // ramp never read
    w.form->copyBitmapColour();
    EXPECT_EQ(w.fake.clipboard.text, "000000");
    w.form->copyLutColour();
    EXPECT_EQ(w.fake.clipboard.text, "000000");
    EXPECT_EQ(w.fake.clipboard.writes, 1);
}

TEST(KeyDispatch, clipboardFailureShowsTheErrorBoxAndChangesNothing)
{
    Running p;
    p.fake.clipboard.failure = "the clipboard is held by another program";
    MessageBoxSeen box;
    {
        ModalAnswer answer(acceptMessageBox(box));
        p.click(Qt::Key_C, Qt::ControlModifier);
    }
    EXPECT_EQ(box.caption, "Tintora");
    EXPECT_EQ(box.text, "Cannot open clipboard: the clipboard is held by another program.");
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_EQ(p.fake.clipboard.writes, 0);
    EXPECT_TRUE(p.form->probing());
}

TEST(KeyDispatch, settingsDialogBlocksTheMainCommands)
{
    Running p;
    bool sawModal = false;
    {
        ModalAnswer answer([&](QWidget* modal) {
            sawModal = modal == p.settings;
            QWidget* target = p.settings->focusWidget() ? p.settings->focusWidget() : p.settings;
            QTest::keyClick(target, Qt::Key_H, Qt::ControlModifier);
            QTest::keyClick(target, Qt::Key_I);
            // Ctrl+S in the dialog closes it.
            QTest::keyClick(target, Qt::Key_S, Qt::ControlModifier);
        });
        p.click(Qt::Key_S, Qt::ControlModifier);
    }
    EXPECT_TRUE(sawModal);
    EXPECT_FALSE(p.settings->isVisible());
    EXPECT_FALSE(p.state.options.hexadecimal);
    EXPECT_TRUE(p.form->isVisible());
}

TEST(KeyDispatch, helpWindowPassesUnusedKeysToTheMainWindow)
{
    Running p;
    p.form->showHelpFromButton();
    ASSERT_TRUE(p.help->isVisible());
    QWidget* target = p.help->focusWidget() ? p.help->focusWidget() : p.help;
    QTest::keyClick(target, Qt::Key_D, Qt::ControlModifier);
    EXPECT_TRUE(p.state.options.fractions);
    EXPECT_EQ(p.form->ui().fractionButton->image(), ButtonImage::FractionOn);
    // The help window's own Esc closes it, not the program.
    QTest::keyClick(target, Qt::Key_Escape);
    EXPECT_FALSE(p.help->isVisible());
    EXPECT_TRUE(p.form->isVisible());
    p.help->showHelp();
    QTest::keyClick(target, Qt::Key_I);
    EXPECT_FALSE(p.form->isVisible());
}

TEST(DisplayModes, flagsAndImagesFollowTheCommands)
{
    Running p;
    const struct {
        Qt::Key key;
        bool hex, dec;
        ButtonImage hexImage, fractionImage;
    } steps[] = {
        {Qt::Key_H, true, false, ButtonImage::HexOn, ButtonImage::FractionOff},  {Qt::Key_D, false, true, ButtonImage::HexOff, ButtonImage::FractionOn},  {Qt::Key_D, false, false, ButtonImage::HexOff, ButtonImage::FractionOff},
        {Qt::Key_D, false, true, ButtonImage::HexOff, ButtonImage::FractionOn},  {Qt::Key_H, true, false, ButtonImage::HexOn, ButtonImage::FractionOff},  {Qt::Key_H, false, false, ButtonImage::HexOff, ButtonImage::FractionOff},
    };
    for (const auto& s : steps) {
        p.click(s.key, Qt::ControlModifier);
        EXPECT_EQ(p.state.options.hexadecimal, s.hex);
        EXPECT_EQ(p.state.options.fractions, s.dec);
        EXPECT_EQ(p.form->ui().hexButton->image(), s.hexImage);
        EXPECT_EQ(p.form->ui().fractionButton->image(), s.fractionImage);
    }
}

TEST(DisplayModes, bothFlagsFromASettingsFile)
{
    Running p;
    p.state.options.hexadecimal = p.state.options.fractions = true;
    p.form->showOptionButtons();
    p.form->probeTick();
    EXPECT_EQ(p.form->ui().bitmapRedLabel->text(), "C8");
    p.click(Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(p.form->ui().hexButton->image(), ButtonImage::HexOff);
    EXPECT_FALSE(p.state.options.hexadecimal);
    EXPECT_TRUE(p.state.options.fractions);
    p.form->probeTick();
    EXPECT_EQ(p.form->ui().bitmapRedLabel->text(), "0.780");
}

TEST(Freeze, spaceFreezesAndResumes)
{
    Running p;
    ASSERT_TRUE(p.form->probing());
    p.click(Qt::Key_Space);
    EXPECT_FALSE(p.form->probing());
    EXPECT_FALSE(p.form->ui().swatch->movesWindow());

    // Frozen: a new colour and a new format change nothing on screen, and
    // copying gives the frozen colour.
    p.fake.pixels.pixelValue = 0x00FF0000; // blue
    p.click(Qt::Key_H, Qt::ControlModifier);
    // Nothing to wait for: the point is that nothing comes. Two probe
    // intervals give a tick that should not happen the time to show.
    QTest::qWait(2 * MainWindow::ProbeIntervalMs + 20);
    EXPECT_EQ(p.form->ui().bitmapRedLabel->text(), "200");
    p.click(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(p.fake.clipboard.text, "C86400");

    p.click(Qt::Key_Space);
    EXPECT_TRUE(p.form->probing());
    EXPECT_TRUE(p.form->ui().swatch->movesWindow());
    EXPECT_TRUE(QTest::qWaitFor([&] { return p.form->ui().bitmapBlueLabel->text() == "FF"; }, 5000));
    EXPECT_EQ(p.form->ui().bitmapRedLabel->text(), "00");
}

TEST(Freeze, swatchDragsOnlyWhileProbing)
{
    Running p;
    p.form->moveWindow({300, 300});
    auto dragSwatch = [&] {
        const QPoint start = p.form->ui().swatch->rect().center();
        QTest::mousePress(p.form->ui().swatch, Qt::LeftButton, Qt::NoModifier, start);
        QMouseEvent move(QEvent::MouseMove, QPointF(start + QPoint(30, 30)),
                         QPointF(p.form->ui().swatch->mapToGlobal(start) + QPoint(30, 30)), Qt::LeftButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(p.form->ui().swatch, &move);
        QTest::mouseRelease(p.form->ui().swatch, Qt::LeftButton, Qt::NoModifier, start);
    };
    int clicks = 0;
    QObject::connect(p.form->ui().swatch, &Swatch::clicked, [&] { ++clicks; });
    dragSwatch();
    EXPECT_EQ(p.form->pos(), QPoint(330, 330));
    EXPECT_EQ(clicks, 0);
    p.form->toggleFreeze();
    {
        // The click opens the colour dialog; closed at once here.
        ModalAnswer answer([](QWidget* dialog) { dialog->close(); });
        dragSwatch();
    }
    EXPECT_EQ(p.form->pos(), QPoint(330, 330));
    EXPECT_EQ(clicks, 1);
}

TEST(Magnifier, tabAndEscToggleItDockedAboveTheMainWindow)
{
    Running p;
    p.form->moveWindow({400, 500});
    p.click(Qt::Key_Tab);
    ASSERT_TRUE(p.magnifier->isVisible());
    EXPECT_EQ(p.magnifier->pos(), QPoint(400, 297));
    EXPECT_EQ(p.form->ui().magnifierButton->image(), ButtonImage::MagnifierShown);
    p.form->moveWindow({450, 520});
    EXPECT_EQ(p.magnifier->pos(), QPoint(450, 317));

    p.click(Qt::Key_Escape);
    EXPECT_FALSE(p.magnifier->isVisible());
    EXPECT_EQ(p.form->ui().magnifierButton->image(), ButtonImage::MagnifierHidden);
    EXPECT_TRUE(p.form->isVisible());
    p.click(Qt::Key_M, Qt::ControlModifier);
    EXPECT_TRUE(p.magnifier->isVisible());
    p.click(Qt::Key_M, Qt::ControlModifier);
    EXPECT_FALSE(p.magnifier->isVisible());
    p.click(Qt::Key_Escape);
    EXPECT_FALSE(p.form->isVisible());
}

TEST(AlwaysOnTop, pinTogglesBothWindows)
{
    Running p;
    p.form->toggleMagnifier();
    const auto mainId = static_cast<NativeWindow>(p.form->winId());
    const auto magId = static_cast<NativeWindow>(p.magnifier->winId());
    // Each shown window enters the topmost band a moment after showing,
    // whatever the option says; those calls are not the pin's.
    auto entered = [&](NativeWindow id) {
        const auto& calls = p.fake.windows.topmostCalls;
        return std::find(calls.begin(), calls.end(), std::pair{id, true}) != calls.end();
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return entered(mainId) && entered(magId); }, 5000));
    p.fake.windows.topmostCalls.clear();

    p.click(Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(p.form->ui().pinButton->image(), ButtonImage::PinOn);
    const std::vector<std::pair<NativeWindow, bool>> on{{magId, true}, {mainId, true}};
    EXPECT_EQ(p.fake.windows.topmostCalls, on);

    p.fake.windows.topmostCalls.clear();
    p.click(Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(p.form->ui().pinButton->image(), ButtonImage::PinOff);
    const std::vector<std::pair<NativeWindow, bool>> off{{magId, false}, {mainId, false}};
    EXPECT_EQ(p.fake.windows.topmostCalls, off);
}

// Where the compositor alone stacks windows (Wayland) the pin is disabled and
// says why, at the start too; neither it nor its key changes the stored option.
TEST(AlwaysOnTop, pinIsDisabledWhereNoWindowCanBeKeptOnTop)
{
    for (const bool keepsOnTop : {true, false}) {
        SCOPED_TRACE(keepsOnTop ? "a topmost band" : "none");
        MainWindowFixture p;
        p.fake.windows.keepsOnTop = keepsOnTop;
        std::ofstream(p.settingsPath()) << "[GENERAL]\nOnTop=1\n";
        std::ostringstream errors;
        std::streambuf* const stderrBuffer = std::cerr.rdbuf(errors.rdbuf());
        p.form->showMainWindow();
        std::cerr.rdbuf(stderrBuffer);
        p.form->probeTimer()->stop();
        TitleButton* pin = p.form->ui().pinButton;

        const std::string notice = std::string("tintora: ") + MainWindow::KeepOnTopUnavailableNotice + "\n";
        EXPECT_EQ(errors.str().find(notice) != std::string::npos, !keepsOnTop) << errors.str();
        EXPECT_EQ(pin->isEnabled(), keepsOnTop);
        EXPECT_EQ(pin->toolTip(), keepsOnTop ? QString() : QString::fromUtf8(MainWindow::KeepOnTopUnavailableText));
        EXPECT_EQ(pin->image(), keepsOnTop ? ButtonImage::PinOn : ButtonImage::PinOff);

        QTest::mouseClick(pin, Qt::LeftButton);
        QTest::keyClick(p.form, Qt::Key_T, Qt::ControlModifier);
        // Two toggles where the pin works: on again; none where it does not.
        EXPECT_TRUE(p.state.options.alwaysOnTop);
        EXPECT_EQ(pin->image(), keepsOnTop ? ButtonImage::PinOn : ButtonImage::PinOff);
        EXPECT_EQ(pin->isEnabled(), keepsOnTop);
    }
}
