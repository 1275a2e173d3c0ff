// The real program's colour dialog on a private Xvfb: opened by a click on
// the frozen swatch, a colour picked from the screen with the pipette, closed
// by Esc, after which the program samples again.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "support/printers.h"
#include "support/program_fixture.h"

using namespace tintora;
using namespace tintora::test;

namespace {

constexpr auto StepTimeout = 5000ms;
constexpr const char* DialogTitle = "Цвет";
const std::string FirstTrace = "Bitmap 200 100 0 | LUT 201 (51400) 100 (25700) 0 (0) | #C96400";

// Where the screenshot of the dialog goes: beside the program in the build
// directory.
std::string screenshotPath()
{
    return (std::filesystem::path(TINTORA_BINARY).parent_path() / "colour-dialog.png").string();
}

class ProgramColourDialog : public ProgramFixture {
protected:
    // A click of the first button through XTest where the pointer is.
    bool click() { return m_server.runClient("xdotool", {"click", "1"}); }
};

TEST_F(ProgramColourDialog, swatchClickWhileFrozenOpensItPipettePicksEscResumesProbing)
{
    // Both colours away from the middle of the screen, where the dialog opens.
    SolidWindow first(m_server, {1300, 100, 300, 300}, {200, 100, 0});
    SolidWindow second(m_server, {1300, 600, 200, 200}, {0, 128, 255});
    // For the pipette: green rows just above red ones.
    SolidWindow green(m_server, {1300, 450, 100, 10}, {0, 255, 0});
    SolidWindow red(m_server, {1300, 460, 100, 10}, {255, 0, 0});
    ASSERT_TRUE(first.shown() && second.shown() && green.shown() && red.shown());
    ASSERT_TRUE(m_server.warpPointer(first.centre()));

    RunningProgram program(m_server, m_directory, {"-x", "100", "-y", "200"});
    std::string why;
    const auto main = program.waitUntilReady(why);
    ASSERT_TRUE(main) << why;
    ASSERT_TRUE(program.traceShows(FirstTrace)) << program.transcript();

    ASSERT_TRUE(m_keyboard.tap({"space"}));
    ASSERT_NO_FATAL_FAILURE(waitUntilKeysHandled());
    // The frozen-colour swatch is 51 x 51 at (142, 47) of the main window.
    ASSERT_TRUE(m_server.warpPointer({main->rect.x + 142 + 25, main->rect.y + 47 + 25}));
    ASSERT_TRUE(click());

    const auto dialog = m_server.waitForTopLevel(DialogTitle, StepTimeout);
    ASSERT_TRUE(dialog) << "no window titled " << DialogTitle << "; " << program.transcript();
    EXPECT_EQ(dialog->netWmName, DialogTitle);
    EXPECT_EQ(dialog->rect.width, 584);
    EXPECT_EQ(dialog->rect.height, 388);
    // Centred on the screen, which is the work area without a window manager.
    EXPECT_EQ((Point{dialog->rect.x, dialog->rect.y}), (Point{(1920 - 584) / 2, (1080 - 388) / 2}));

    // Painted: the new and the old colour swatch show the frozen colour.
    const Point newSwatch{dialog->rect.x + 276 + 31, dialog->rect.y + 277 + 31};
    const Point oldSwatch{dialog->rect.x + 276 + 63 + 30, dialog->rect.y + 277 + 31};
    const Colour frozen{200, 100, 0};
    EXPECT_TRUE(waitUntil(StepTimeout, [&] {
        return m_server.rootPixel(newSwatch) == frozen && m_server.rootPixel(oldSwatch) == frozen;
    })) << "swatches " << ::testing::PrintToString(m_server.rootPixel(newSwatch)) << " and "
        << ::testing::PrintToString(m_server.rootPixel(oldSwatch));
    // The pipette: the picking window takes the keyboard; a click with the
    // hot spot on red and the eyedropper's tip, one right and two up, on
    // green picks green.
    ASSERT_TRUE(waitUntil(StepTimeout, [&] { return hasFocus(m_server, dialog->id); }))
        << "the dialog never got the keyboard focus";
    ASSERT_TRUE(m_server.warpPointer({dialog->rect.x + 17 + 36, dialog->rect.y + 319 + 12}));
    ASSERT_TRUE(click());
    ASSERT_TRUE(waitUntil(StepTimeout, [&] { return !hasFocus(m_server, dialog->id); })) << "no picking window";
    ASSERT_TRUE(m_server.warpPointer({1350, 461}));
    ASSERT_TRUE(click());
    const Colour picked{0, 255, 0};
    EXPECT_TRUE(waitUntil(StepTimeout, [&] { return m_server.rootPixel(newSwatch) == picked; }))
        << "new colour " << ::testing::PrintToString(m_server.rootPixel(newSwatch));
    EXPECT_EQ(m_server.rootPixel(oldSwatch), frozen);

    const auto shot = Screenshot::take(m_server, dialog->rect);
    ASSERT_TRUE(shot);
    const std::string saved = savePng(*shot, screenshotPath());
    EXPECT_TRUE(saved.empty()) << saved;

    // Esc goes to the dialog once it has the keyboard: Cancel.
    ASSERT_TRUE(waitUntil(StepTimeout, [&] { return hasFocus(m_server, dialog->id); }))
        << "the dialog did not get the keyboard back";
    ASSERT_TRUE(m_keyboard.tap({"Escape"}));
    EXPECT_TRUE(waitUntil(StepTimeout, [&] { return !m_server.findTopLevel(DialogTitle); })) << "still shown";
    ASSERT_TRUE(program.process().running()) << "Esc closed the program; " << program.transcript();

    // Probing again: the other colour shows and is what Ctrl+C copies.
    ASSERT_TRUE(waitUntil(StepTimeout, [&] { return hasFocus(m_server, main->id); }))
        << "the main window did not get the keyboard back";
    ASSERT_TRUE(m_server.warpPointer(second.centre()));
    EXPECT_TRUE(program.traceShows("Bitmap 0 128 255")) << program.transcript();
    ASSERT_TRUE(m_keyboard.tap({"Control_L", "c"}));
    EXPECT_EQ(waitForClipboard(m_server, "0080FF"), "0080FF") << program.transcript();
}

} // namespace
