// The real program's help window on a private Xvfb: F1 shows it, Esc hides
// it, the "F1" button brings it back where the user moved it.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/input_devices.h"
#include "support/printers.h"
#include "support/running_program.h"
#include "support/xvfb.h"

using namespace tintora;
using namespace tintora::test;

namespace {

constexpr auto StepTimeout = 5000ms;
constexpr const char* HelpTitle = "Справка";

bool helpHidden(Xvfb& server)
{
    return waitUntil(StepTimeout, [&] { return topLevelsNamed(server, HelpTitle).empty(); });
}

} // namespace

TEST(ProgramHelp, f1ShowsEscHidesButtonReopensWhereItWasMoved)
{
    Xvfb server;
    ASSERT_TRUE(server.running()) << server.error();
    ProgramDirectory directory;
    ASSERT_TRUE(directory.error().empty()) << directory.error();
    Keyboard keyboard(server);

    RunningProgram program(server, directory, {"-x", "100", "-y", "200"});
    std::string why;
    const auto main = program.waitUntilReady(why);
    ASSERT_TRUE(main) << why;

    ASSERT_TRUE(keyboard.tap({"F1"}));
    const auto help = server.waitForTopLevel(HelpTitle, StepTimeout);
    ASSERT_TRUE(help) << "no window titled " << HelpTitle << "; " << program.transcript();
    EXPECT_EQ(help->rect.width, 614);
    EXPECT_EQ(help->rect.height, 522);
    // Centred in the work area, the whole screen without a window manager.
    EXPECT_EQ((Point{help->rect.x, help->rect.y}), (Point{(1920 - 614) / 2, (1080 - 522) / 2}));

    // The page is painted: its pale yellow background shows.
    ASSERT_TRUE(waitUntil(StepTimeout, [&] {
        const auto shot = Screenshot::take(server, help->rect);
        return shot && shot->at({help->rect.width - 20, help->rect.height - 20}) == Colour{0xFF, 0xFF, 0xDD};
    }));
    const auto shot = Screenshot::take(server, help->rect);
    ASSERT_TRUE(shot);
    const std::string png = (std::filesystem::path(TINTORA_BINARY).parent_path() / "help-window.png").string();
    EXPECT_EQ(savePng(*shot, png), "");

    // The help window has the keyboard: Esc is its own close.
    ASSERT_TRUE(waitUntil(StepTimeout, [&] { return hasFocus(server, help->id); }));
    ASSERT_TRUE(keyboard.tap({"Escape"}));
    ASSERT_TRUE(helpHidden(server)) << program.transcript();
    EXPECT_TRUE(program.process().running());

    // The "F1" button (23 x 21 at (24, 1) of the title strip) shows it
    // again, and where the user last left it.
    ASSERT_TRUE(keyboard.tap({"F1"}));
    const auto shown = server.waitForTopLevel(HelpTitle, StepTimeout);
    ASSERT_TRUE(shown);
    // Moved as a user or window manager would move it.
    ASSERT_TRUE(server.runClient("xdotool", {"windowmove", std::to_string(shown->id), "300", "150"}));
    ASSERT_TRUE(server.waitForTopLevel(HelpTitle, StepTimeout, [](const TopLevel& t) { return t.rect.x == 300; }));
    ASSERT_TRUE(waitUntil(StepTimeout, [&] { return hasFocus(server, shown->id); }));
    ASSERT_TRUE(keyboard.tap({"Escape"}));
    ASSERT_TRUE(helpHidden(server));

    ASSERT_TRUE(server.warpPointer({main->rect.x + 24 + 11, main->rect.y + 1 + 10}));
    ASSERT_TRUE(server.runClient("xdotool", {"click", "1"}));
    const auto again = server.waitForTopLevel(HelpTitle, StepTimeout);
    ASSERT_TRUE(again) << program.transcript();
    EXPECT_EQ((Point{again->rect.x, again->rect.y}), (Point{300, 150}));
    EXPECT_EQ(again->rect.width, 614);
}
