// The real program closing with a settings file it cannot write: the error
// box waits for the user, and while it does the pointer must already be the
// user's again, and the termination signals must still end the program.

#include <gtest/gtest.h>
#include <csignal>
#include <cstring>
#include <sys/stat.h>
#include <sys/wait.h>

#include <optional>
#include <string>
#include <vector>

#include "support/input_devices.h"
#include "support/printers.h"
#include "support/running_program.h"
#include "support/xvfb.h"

using namespace tintora;
using namespace tintora::test;

namespace {

TEST(ProgramFailedSave, pointerIsBackWhileTheBoxWaitsAndSignalsStillEndTheProgram)
{
    Xvfb server;
    ASSERT_TRUE(server.running()) << server.error();
    InputDevices devices(server);
    Keyboard keyboard(server);
    const auto mouse = devices.idOf("Xvfb mouse");
    ASSERT_TRUE(mouse) << "Xvfb is expected to have a mouse";
    const MatrixBits own = scaleMatrix(1.0f);
    ASSERT_EQ(devices.matrix(*mouse), own);
    const MatrixBits slow = scaleMatrix(1.0f / 32);

    for (const int signo : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(::strsignal(signo));
        ProgramDirectory directory;
        ASSERT_TRUE(directory.error().empty()) << directory.error();
        // A read-only file whose values the close changes.
        const std::string text = "[MAGNIFIER]\nSlowMouse=1\n";
        ASSERT_TRUE(directory.writeSettings(text));
        ASSERT_EQ(::chmod(directory.settingsPath().c_str(), 0444), 0);

        RunningProgram program(server, directory);
        std::string why;
        const auto window = program.waitUntilReady(why);
        ASSERT_TRUE(window) << why;
        ASSERT_TRUE(waitUntil(ProgramStartTimeout, [&] { return devices.matrix(*mouse) == slow; }))
            << "SlowMouse=1 not applied";

        ASSERT_TRUE(keyboard.tap({"i"}));
        const auto box = program.waitForErrorBox(*window);
        ASSERT_TRUE(box) << "no error box; " << program.transcript();
        EXPECT_TRUE(waitUntil(ProgramExitTimeout, [&] { return devices.matrix(*mouse) == own; }))
            << "the pointer is still slow while the box waits";

        ASSERT_TRUE(program.process().signal(signo));
        const auto status = program.process().waitForExit(ProgramExitTimeout);
        ASSERT_TRUE(status) << "the signal did not end the program; " << program.transcript();
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "wait status " << *status;
        EXPECT_EQ(devices.matrix(*mouse), own);
        EXPECT_EQ(directory.settings(), text);
        const std::vector<std::string> untouched{"Tintora.ini", "tintora"};
        EXPECT_EQ(ProgramDirectory::entries(directory.programDir()), untouched) << "a temporary file left behind";
    }
}

} // namespace
