// The real program's arrow-key nudging and its LUT window, on a private Xvfb
// with keys sent through XTest.

#include <gtest/gtest.h>

#include "support/program_fixture.h"

using namespace tintora;
using namespace tintora::test;

namespace {

constexpr auto MoveTimeout = 10000ms;

class ProgramNudge : public ProgramFixture {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ProgramFixture::SetUp());
        // The slowest pointer: relative motion would be scaled to 1/32.
        ASSERT_TRUE(m_directory.writeSettings("[MAGNIFIER]\nSlowMouse=1\n"));
        ASSERT_TRUE(m_devices.warpTo({900, 600}));
        m_program.emplace(m_server, m_directory, std::vector<std::string>{"-x", "100", "-y", "200"});
        std::string why;
        ASSERT_TRUE(m_program->waitUntilReady(why)) << why;
    }

    // Waits until the pointer is at p; where it was last seen.
    Point waitForPointer(Point p)
    {
        Point last{-1, -1};
        waitUntil(MoveTimeout, [&] {
            last = m_devices.pointer().value_or(Point{-1, -1});
            return last == p;
        });
        return last;
    }

    std::optional<RunningProgram> m_program;
};

} // namespace

// Each step is awaited before the next: the program handles keys in order, so
// a step that must not move is proved by the move after it.
TEST_F(ProgramNudge, arrowKeysMoveExactlyOnePixelAlongTheFreeAxis)
{
    ASSERT_TRUE(m_keyboard.tap({"Right"}));
    EXPECT_EQ(waitForPointer({901, 600}), (Point{901, 600})) << m_program->transcript();
    ASSERT_TRUE(m_keyboard.tap({"Down"}));
    EXPECT_EQ(waitForPointer({901, 601}), (Point{901, 601}));

    // Alt holds the row: Up does nothing, Left moves.
    ASSERT_TRUE(m_keyboard.press("Alt_L"));
    ASSERT_TRUE(m_keyboard.tap({"Up"}));
    ASSERT_TRUE(m_keyboard.tap({"Left"}));
    EXPECT_EQ(waitForPointer({900, 601}), (Point{900, 601}));
    ASSERT_TRUE(m_keyboard.release("Alt_L"));

    // Shift holds the column: Right does nothing, Up moves.
    ASSERT_TRUE(m_keyboard.press("Shift_L"));
    ASSERT_TRUE(m_keyboard.tap({"Right"}));
    ASSERT_TRUE(m_keyboard.tap({"Up"}));
    EXPECT_EQ(waitForPointer({900, 600}), (Point{900, 600}));
    ASSERT_TRUE(m_keyboard.release("Shift_L"));
}

TEST_F(ProgramNudge, ctrlLShowsAndHidesTheLutWindowAndKeysStayWithTheMainWindow)
{
    ASSERT_TRUE(m_keyboard.tap({"Control_L", "l"}));
    const auto lut = m_server.waitForTopLevel("LUT", ProgramStartTimeout);
    ASSERT_TRUE(lut) << m_program->transcript();
    EXPECT_GT(lut->rect.width, 0);
    // The keys stay with the main window: nudging still works.
    ASSERT_TRUE(m_keyboard.tap({"Right"}));
    EXPECT_EQ(waitForPointer({901, 600}), (Point{901, 600}));
    ASSERT_TRUE(m_keyboard.tap({"Control_L", "l"}));
    EXPECT_TRUE(waitUntil(MoveTimeout, [&] { return !m_server.findTopLevel("LUT"); })) << "Ctrl+L did not hide it";
}
