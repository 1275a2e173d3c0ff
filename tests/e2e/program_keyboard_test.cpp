// The real program's keys on a private Xvfb as users press them: Alt after
// Shift (which X reports as Meta), letters while a Cyrillic layout is active,
// and the keys coming back to the main window after the settings dialog.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <optional>
#include <string>

#include "support/input_devices.h"
#include "support/keyboard_layouts.h"
#include "support/printers.h"
#include "support/running_program.h"
#include "support/xvfb.h"

using namespace tintora::test;
using tintora::Point;
using tintora::Rect;

namespace {

constexpr auto StepTimeout = 5000ms;
constexpr const char* SettingsTitle = "Настройки";

class ProgramKeyboard : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.running()) << m_server.error();
        ASSERT_TRUE(m_directory.error().empty()) << m_directory.error();
    }

    // Starts the program at (100, 200) and waits until it has the keyboard;
    // the pointer then rests far from its window.
    void start()
    {
        m_program.emplace(m_server, m_directory, std::vector<std::string>{"-x", "100", "-y", "200"});
        std::string why;
        m_window = m_program->waitUntilReady(why);
        ASSERT_TRUE(m_window) << why;
        ASSERT_TRUE(m_devices.warpTo({900, 600}));
    }

    Point pointer() { return m_devices.pointer().value_or(Point{-1, -1}); }

    bool waitForLock(bool row, bool locked) { return m_devices.waitForLock(row, locked).has_value(); }

    bool waitForFocus(unsigned long window)
    {
        return waitUntil(StepTimeout, [&] { return hasFocus(m_server, window); });
    }

    Xvfb m_server;
    InputDevices m_devices{m_server};
    Keyboard m_keyboard{m_server};
    ProgramDirectory m_directory;
    std::optional<RunningProgram> m_program;
    std::optional<TopLevel> m_window;
};

} // namespace

// With Shift down the Alt key gives Meta_L; it is Alt all the same.
TEST_F(ProgramKeyboard, altAfterShiftHoldsThePointerOnItsRow)
{
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_TRUE(m_keyboard.press("Shift_L"));
    ASSERT_TRUE(waitForLock(false, true)) << "Shift did not hold the column";
    ASSERT_TRUE(m_keyboard.press("Alt_L"));
    ASSERT_TRUE(waitForLock(true, true)) << "Alt after Shift did not hold the row";
    // Alt up, Shift still down: the row stays until Shift goes up too.
    ASSERT_TRUE(m_keyboard.release("Alt_L"));
    ASSERT_TRUE(m_keyboard.release("Shift_L"));
    ASSERT_TRUE(waitForLock(true, false)) << "the row outlasted both keys";
    ASSERT_TRUE(waitForLock(false, false));
}

// Russian active in a "us,ru" keyboard: I gives Ш, yet it is I.
TEST_F(ProgramKeyboard, letterShortcutsWhileARussianLayoutIsActive)
{
    ASSERT_EQ(setKeyboardLayouts(m_server, "us,ru"), "");
    ASSERT_TRUE(activateLayout(m_server, 1));
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_TRUE(m_keyboard.tap({"i"}));
    const auto status = m_program->process().waitForExit(ProgramExitTimeout);
    ASSERT_TRUE(status) << "still running after I; " << m_program->transcript();
    EXPECT_EQ(exitCode(status), 0);
}

// No window manager hands the keyboard back when the dialog goes: the
// program does, whichever key closed it.
TEST_F(ProgramKeyboard, keysGoBackToTheMainWindowWhenTheSettingsDialogCloses)
{
    ASSERT_NO_FATAL_FAILURE(start());
    for (const auto& closing : {std::vector<std::string>{"Escape"}, std::vector<std::string>{"Control_L", "s"}}) {
        SCOPED_TRACE(closing.back());
        ASSERT_TRUE(m_keyboard.tap({"Control_L", "s"}));
        const auto dialog = m_server.waitForTopLevel(SettingsTitle, StepTimeout);
        ASSERT_TRUE(dialog) << m_program->transcript();
        ASSERT_TRUE(waitForFocus(dialog->id));
        ASSERT_TRUE(m_keyboard.tap(closing));
        ASSERT_TRUE(waitUntil(StepTimeout, [&] { return topLevelsNamed(m_server, SettingsTitle).empty(); }));
        EXPECT_TRUE(waitForFocus(m_window->id)) << "the main window did not get the keyboard back";
    }
    ASSERT_TRUE(m_keyboard.tap({"i"}));
    EXPECT_EQ(exitCode(m_program->process().waitForExit(ProgramExitTimeout)), 0) << "I did not reach the main window";
}
