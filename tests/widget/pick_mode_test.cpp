// The pick mode of sessions whose pointer is known only over an overlay of
// the program's (wlroots), over the fake platform: the fake overlay plays
// the compositor, the fake pointer's position is the overlay's.

#include <gtest/gtest.h>

#include <QTest>

#include "app/program_windows.h"
#include "fake/fake_platform.h"
#include "support/processes.h"

using namespace tintora;

namespace {

struct PickSession {
    PickSession()
    {
        overlay = &fake.addPickOverlay();
        // Outside the pick mode the session tells no position.
        fake.pointer.where.reset();
        fake.pointer.speedSettable = false;
        MainWindowSetup setup;
        setup.programDir = programDir.path() + "/";
        setup.executablePath = setup.programDir + "tintora";
        setup.decimalSeparator = ".";
        windows = std::make_unique<ProgramWindows>(state, fake.platform, std::move(setup));
        form = windows->main.get();
        form->showMainWindow();
        form->probeTimer()->stop(); // ticks are taken by hand
    }
    ~PickSession() { form->probeTimer()->stop(); }

    std::string bitmapTexts() const
    {
        const MainWindowUi& ui = form->ui();
        return (ui.bitmapRedLabel->text() + " " + ui.bitmapGreenLabel->text() + " " + ui.bitmapBlueLabel->text())
            .toStdString();
    }
    // The pointer over the overlay at p, on a pixel of colour value.
    void pointAt(Point p, ColourValue value)
    {
        fake.pointer.where = p;
        fake.pixels.pixelValue = value;
    }
    void key(int code, bool pressed = true, bool alt = false)
    {
        overlay->listener->pickKey(KeyChord{code, false, false, alt, false}, pressed);
    }

    test::TempDir programDir{"tintora-widget"};
    fake::FakePlatform fake;
    fake::FakePickOverlay* overlay = nullptr;
    ProgramState state;
    std::unique_ptr<ProgramWindows> windows;
    MainWindow* form = nullptr;
};

TEST(PickMode, readoutsHoldOutsideItAndFollowThePointerInIt)
{
    PickSession s;
    ASSERT_NE(s.form->pickMode(), nullptr);
    EXPECT_FALSE(s.form->toolTip().isEmpty()) << "the main window says how to pick";
    s.fake.pixels.pixelValue = 0x00302010;
    s.form->probeTick();
    EXPECT_EQ(s.bitmapTexts(), "? ? ?") << "no position: nothing is sampled";

    QTest::keyClick(s.form, Qt::Key_P);
    ASSERT_TRUE(s.overlay->isShown);
    s.form->probeTick();
    EXPECT_EQ(s.bitmapTexts(), "? ? ?") << "the pointer has not entered the overlay yet";
    s.pointAt({100, 200}, 0x00302010);
    s.form->probeTick();
    EXPECT_EQ(s.bitmapTexts(), "16 32 48");
    s.pointAt({101, 200}, 0x00060504);
    s.form->probeTick();
    EXPECT_EQ(s.bitmapTexts(), "4 5 6");

    // Esc leaves; the readouts keep the last colour whatever the screen shows.
    s.key(keys::Escape);
    EXPECT_FALSE(s.overlay->isShown);
    EXPECT_TRUE(s.form->probing());
    s.fake.pointer.where.reset();
    s.fake.pixels.pixelValue = 0x00FFFFFF;
    s.form->probeTick();
    EXPECT_EQ(s.bitmapTexts(), "4 5 6");
}

TEST(PickMode, aClickOrSpaceFreezesTheColourUnderThePointerAndLeaves)
{
    for (const bool bySpace : {false, true}) {
        SCOPED_TRACE(bySpace ? "Space" : "click");
        PickSession s;
        s.form->startPickMode();
        s.pointAt({300, 40}, 0x00010203);
        s.form->probeTick();
        // The pointer moved on since the last tick: the click's pixel counts.
        s.pointAt({310, 40}, 0x00C0B0A0);
        if (bySpace)
            s.key(keys::Space);
        else
            s.overlay->listener->pickClicked({310, 40});
        EXPECT_FALSE(s.overlay->isShown);
        EXPECT_FALSE(s.form->probing());
        EXPECT_EQ(s.bitmapTexts(), "160 176 192");
        // Frozen as by Space in the main window: the next pick lets go.
        s.form->startPickMode();
        EXPECT_TRUE(s.overlay->isShown);
        EXPECT_TRUE(s.form->probing());
    }
}

TEST(PickMode, commandsRunAndTheArrowsAndLocksGoToThePointer)
{
    PickSession s;
    s.form->startPickMode();
    s.pointAt({500, 400}, 0x000000FF);
    s.form->probeTick();
    s.overlay->listener->pickKey(KeyChord{'C', false, true, false, false}, true);
    EXPECT_EQ(s.fake.clipboard.text, "FF0000");

    s.key(keys::Right);
    EXPECT_EQ(s.fake.pointer.moves, (std::vector<Point>{{501, 400}}));
    s.key(keys::Alt, true, true);
    ASSERT_TRUE(s.fake.pointer.confinement.has_value());
    EXPECT_EQ(*s.fake.pointer.confinement, (Rect{0, 400, 1920, 1}));
    s.key(keys::Down, true, true);
    EXPECT_EQ(s.fake.pointer.moves.size(), 1u) << "the row lock holds the row";
    // Leaving with Alt still down: its release goes elsewhere, the lock ends.
    s.key(keys::Escape, true, true);
    EXPECT_FALSE(s.fake.pointer.confinement.has_value());
    EXPECT_TRUE(s.form->isVisible()) << "Esc leaves the pick mode only";
}

TEST(PickMode, theCompositorClosingTheOverlayEndsTheModeAndTheLocks)
{
    PickSession s;
    s.form->startPickMode();
    s.pointAt({10, 10}, 0);
    s.key(keys::Alt, true, true);
    ASSERT_TRUE(s.fake.pointer.confinement.has_value());
    s.overlay->isShown = false; // taken away by the compositor
    s.overlay->listener->pickOverlayClosed();
    EXPECT_FALSE(s.fake.pointer.confinement.has_value());
}

TEST(PickMode, theCloseTakesTheOverlayAway)
{
    PickSession s;
    s.form->startPickMode();
    ASSERT_TRUE(s.overlay->isShown);
    s.form->close();
    EXPECT_FALSE(s.overlay->isShown);
}

} // namespace
