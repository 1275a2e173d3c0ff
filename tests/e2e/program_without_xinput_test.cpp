// The real program on an X server without the X Input extension, through
// which the pointer speed is set. Xvfb cannot be started without it, so the
// program reaches the server through a display that hides it.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include "support/hidden_extension_display.h"
#include "support/running_program.h"
#include "support/xvfb.h"

using namespace tintora;
using namespace tintora::test;

// The start says, in the server's terms, that the slow pointer is
// unavailable, and only that: the axis locks and nudging need no X Input.
// The saved option, with Ctrl pressed and released, is kept for servers
// that have it.
TEST(ProgramWithoutXInput, startSaysTheSlowPointerIsUnavailableAndKeepsTheOption)
{
    Xvfb server;
    ASSERT_TRUE(server.running()) << server.error();
    HiddenExtensionDisplay display(server, "XInputExtension");
    ASSERT_TRUE(display.listening()) << display.error();
    ProgramDirectory directory;
    ASSERT_TRUE(directory.error().empty()) << directory.error();
    ASSERT_TRUE(directory.writeSettings("[MAGNIFIER]\nSlowMouse=1\n"));

    RunningProgram program(server, directory,
                           RunningProgram::Launch{{}, {{"DISPLAY", display.displayName()}}, {}, {}});
    std::string why;
    ASSERT_TRUE(program.waitUntilReady(why)) << why << "\n" << program.transcript();
    ASSERT_TRUE(server.runClient("xdotool", {"keydown", "ctrl"}));
    ASSERT_TRUE(server.runClient("xdotool", {"keyup", "ctrl"}));

    ASSERT_TRUE(program.process().signal(SIGTERM));
    const auto status = program.process().waitForExit(ProgramExitTimeout);
    ASSERT_TRUE(status && WIFEXITED(*status)) << program.transcript();
    EXPECT_EQ(WEXITSTATUS(*status), 0) << program.transcript();

    std::string notices;
    const std::string errors = program.errors();
    for (std::size_t at = 0; (at = errors.find("tintora: ", at)) != std::string::npos; ++at)
        notices += errors.substr(at, errors.find('\n', at) + 1 - at);
    EXPECT_EQ(notices, "tintora: the X server offers no X Input extension, through which programs set the pointer "
                       "speed; the slow pointer is unavailable.\n")
        << errors;
    const auto settings = directory.settings();
    ASSERT_TRUE(settings);
    EXPECT_NE(settings->find("SlowMouse=1\n"), std::string::npos) << *settings;
}
