// The real program's keyboard commands on a private Xvfb: keys sent through
// XTest to its focused main window, their effects seen where a user sees
// them: on the clipboard, in the readouts, in how the pointer moves, and in
// the pointer devices' settings once it has gone.

#include <gtest/gtest.h>
#include <signal.h>

#include <optional>
#include <string>

#include "support/printers.h"
#include "support/program_fixture.h"

using namespace tintora;
using namespace tintora::test;

namespace {

constexpr auto MoveTimeout = 2000ms;
const std::string FirstTrace = "Bitmap 200 100 0 | LUT 201 (51400) 100 (25700) 0 (0) | #C96400";

class ProgramCommands : public ProgramFixture {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ProgramFixture::SetUp());
        m_colour.emplace(m_server, Rect{800, 500, 400, 300}, Colour{200, 100, 0});
        ASSERT_TRUE(m_colour->shown());
        // A core warp is safe here: nothing has slowed the pointer yet.
        ASSERT_TRUE(m_server.warpPointer(m_colour->centre()));
    }

    // Starts the program (its window out of the pointer's way) and waits until
    // it has the focus and shows the pixel under the pointer.
    void start()
    {
        m_program.emplace(m_server, m_directory, std::vector<std::string>{"-x", "100", "-y", "200"});
        std::string why;
        m_window = m_program->waitUntilReady(why);
        ASSERT_TRUE(m_window) << why;
        ASSERT_TRUE(m_program->traceShows(FirstTrace)) << m_program->transcript();
    }

    Point pointer() { return m_devices.pointer().value_or(Point{-1, -1}); }

    Point moveBy(int dx, int dy, Point expected) { return m_devices.moveBy(dx, dy, expected); }

    std::optional<Point> waitForLock(bool row, bool locked) { return m_devices.waitForLock(row, locked); }

    std::optional<SolidWindow> m_colour;
    std::optional<RunningProgram> m_program;
    std::optional<TopLevel> m_window;
};

// (200, 100, 0) through the ramp i * 257 leaves the adapter as (201, 100, 0).
TEST_F(ProgramCommands, copyCommandsPutTheColourOnTheClipboard)
{
    ASSERT_NO_FATAL_FAILURE(start());

    ASSERT_TRUE(m_keyboard.tap({"Control_L", "c"}));
    EXPECT_EQ(waitForClipboard(m_server, "C86400"), "C86400") << m_program->transcript();
    ASSERT_TRUE(m_keyboard.tap({"Control_L", "Alt_L", "c"}));
    EXPECT_EQ(waitForClipboard(m_server, "C96400"), "C96400") << m_program->transcript();

    // With another program's text on the clipboard, an extra modifier must
    // keep either colour off it.
    TempFile text;
    ASSERT_TRUE(text.write("elsewhere"));
    ChildProcess xclip("xclip", {"-quiet", "-selection", "clipboard", text.path()}, m_server.clientEnvironment());
    ASSERT_EQ(waitForClipboard(m_server, "elsewhere"), "elsewhere");
    ASSERT_TRUE(m_keyboard.tap({"Control_L", "Shift_L", "c"}));
    ASSERT_NO_FATAL_FAILURE(waitUntilKeysHandled());
    EXPECT_EQ(pasteClipboard(m_server), "elsewhere");
}

TEST_F(ProgramCommands, spaceFreezesAndResumesSampling)
{
    const Colour second{0, 128, 255};
    SolidWindow other(m_server, {200, 700, 100, 100}, second);
    ASSERT_TRUE(other.shown());
    ASSERT_NO_FATAL_FAILURE(start());
    const std::string secondTrace = "Bitmap 0 128 255";

    ASSERT_TRUE(m_keyboard.tap({"space"}));
    ASSERT_NO_FATAL_FAILURE(waitUntilKeysHandled());
    // The speed is the user's again, so a core warp lands where it should.
    ASSERT_TRUE(m_server.warpPointer(other.centre()));
    // A probing program shows the new pixel within a tick (50 ms). Nothing
    // to wait for here: the point is that nothing comes, so a fixed window
    // of twenty ticks gives a probe that should be frozen its chance to show
    // it. Resuming below shows the same trace does arrive.
    EXPECT_FALSE(m_program->traceShows(secondTrace, 1000ms)) << "sampled while frozen; " << m_program->transcript();
    ASSERT_TRUE(m_keyboard.tap({"Control_L", "c"}));
    EXPECT_EQ(waitForClipboard(m_server, "C86400"), "C86400") << "the frozen colour is copied";

    ASSERT_TRUE(m_keyboard.tap({"space"}));
    EXPECT_TRUE(m_program->traceShows(secondTrace)) << m_program->transcript();
    ASSERT_TRUE(m_keyboard.tap({"Control_L", "c"}));
    EXPECT_EQ(waitForClipboard(m_server, "0080FF"), "0080FF");
}

// Alt holds the pointer on its row, Shift on its column, for as long as the
// key is down; the line is the one through the pointer when the key went down.
TEST_F(ProgramCommands, altAndShiftHoldThePointerOnItsRowOrColumn)
{
    ASSERT_NO_FATAL_FAILURE(start());
    struct Case {
        const char* key;
        bool row;
    };
    for (const Case& c : {Case{"Alt_L", true}, Case{"Shift_L", false}}) {
        SCOPED_TRACE(c.key);
        const Point start = pointer();
        ASSERT_TRUE(m_keyboard.press(c.key));
        const auto held = waitForLock(c.row, true);
        ASSERT_TRUE(held) << "the pointer still leaves its " << (c.row ? "row" : "column");
        // The probing steps go one pixel off the line and back.
        if (c.row)
            EXPECT_TRUE(held->y == start.y || held->y == start.y + 1) << "row " << held->y << ", not " << start.y;
        else
            EXPECT_TRUE(held->x == start.x || held->x == start.x + 1) << "column " << held->x << ", not " << start.x;

        // Across the line nothing moves; along it the pointer moves freely.
        Point on = *held;
        for (const Point step : {Point{30, 40}, Point{-50, -70}}) {
            on = c.row ? Point{on.x + step.x, on.y} : Point{on.x, on.y + step.y};
            EXPECT_EQ(moveBy(step.x, step.y, on), on);
        }

        ASSERT_TRUE(m_keyboard.release(c.key));
        ASSERT_TRUE(waitForLock(c.row, false)) << "the line outlasted the key";
        const Point freed = pointer();
        EXPECT_EQ(moveBy(25, 35, {freed.x + 25, freed.y + 35}), (Point{freed.x + 25, freed.y + 35}));
    }
}

// With the slow option off (no settings file), Ctrl gives speed 1: a 32nd of
// the mouse's motion. Motion injected through XTest (a remote desktop, a VNC
// server, xdotool) is not the mouse's: an absolute move lands where it was
// sent, a relative one goes its full way.
TEST_F(ProgramCommands, ctrlSlowsThePointerWhileHeld)
{
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_TRUE(m_devices.warpTo({900, 600}));

    ASSERT_TRUE(m_keyboard.press("Control_L"));
    ASSERT_EQ(waitForMatrix(m_mouse, scaleMatrix(1.0f / 32)), scaleMatrix(1.0f / 32));
    EXPECT_EQ(m_devices.matrix(m_xtest), scaleMatrix(1));
    EXPECT_EQ(moveBy(64, 32, {964, 632}), (Point{964, 632}));
    ASSERT_TRUE(m_devices.moveAbsolute({600, 250}));
    Point landed = pointer();
    waitUntil(MoveTimeout, [&] {
        landed = pointer();
        return landed == Point{600, 250};
    });
    EXPECT_EQ(landed, (Point{600, 250}));

    ASSERT_TRUE(m_keyboard.release("Control_L"));
    ASSERT_EQ(waitForMatrix(m_mouse, scaleMatrix(1)), scaleMatrix(1));
}

TEST_F(ProgramCommands, iEndsTheProgramAndGivesTheDevicesTheirSettingsBack)
{
    ASSERT_TRUE(m_devices.setMatrix(m_mouse, OddMatrix));
    const auto before = m_devices.properties();
    // With the slow option on the devices are changed from the start.
    ASSERT_TRUE(m_directory.writeSettings("[MAGNIFIER]\nSlowMouse=1\n"));
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_EQ(waitForMatrix(m_mouse, SlowOddMatrix), SlowOddMatrix);
    ASSERT_NE(m_devices.properties(), before);

    ASSERT_TRUE(m_keyboard.tap({"i"}));
    const auto status = m_program->process().waitForExit(ProgramExitTimeout);
    ASSERT_TRUE(status) << "still running after I";
    EXPECT_EQ(exitCode(status), 0) << m_program->transcript();
    EXPECT_EQ(m_devices.properties(), before);
    EXPECT_EQ(m_devices.matrix(m_mouse), OddMatrix);
}

// The close that a signal runs lifts the slow pointer and the row lock of
// keys that are still down.
TEST_F(ProgramCommands, sigtermWhileCtrlAndAltAreHeldRestoresSpeedAndFreesThePointer)
{
    ASSERT_TRUE(m_devices.setMatrix(m_mouse, OddMatrix));
    const auto before = m_devices.properties();
    ASSERT_NO_FATAL_FAILURE(start());

    ASSERT_TRUE(m_keyboard.press("Alt_L"));
    ASSERT_TRUE(waitForLock(true, true)) << "Alt did not hold the pointer on its row";
    ASSERT_TRUE(m_keyboard.press("Control_L"));
    ASSERT_EQ(waitForMatrix(m_mouse, SlowOddMatrix), SlowOddMatrix);

    ASSERT_TRUE(m_program->process().signal(SIGTERM));
    const auto status = m_program->process().waitForExit(ProgramExitTimeout);
    ASSERT_TRUE(status) << "still running after SIGTERM";
    EXPECT_EQ(exitCode(status), 0) << m_program->transcript();
    EXPECT_EQ(m_devices.properties(), before);

    ASSERT_TRUE(m_keyboard.release("Control_L"));
    ASSERT_TRUE(m_keyboard.release("Alt_L"));
    const Point p = pointer();
    EXPECT_EQ(moveBy(30, 40, {p.x + 30, p.y + 40}), (Point{p.x + 30, p.y + 40})) << "held or slowed after the end";
}

} // namespace
