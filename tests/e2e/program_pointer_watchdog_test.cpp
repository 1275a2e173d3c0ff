// The real program on a private Xvfb with the slow pointer on, ended in ways
// it cannot clean up after (crash signals, SIGKILL): its watchdog gives the
// pointer devices back at once, read in the matrix of the server's own mouse,
// and never undoes a value the user set meanwhile; at a normal end the
// watchdog goes with the program.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "support/printers.h"
#include "support/program_fixture.h"

using namespace tintora;
using namespace tintora::test;

namespace {

class ProgramPointerWatchdog : public ProgramFixture {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ProgramFixture::SetUp());
        // Crashes of the program leave no core files behind.
        ::getrlimit(RLIMIT_CORE, &m_coreLimit);
        const rlimit none{0, m_coreLimit.rlim_max};
        ::setrlimit(RLIMIT_CORE, &none);
    }
    void TearDown() override { ::setrlimit(RLIMIT_CORE, &m_coreLimit); }

    // Starts the program with the slow pointer on, the mouse's own matrix
    // odd, and waits until the pointer is slow and the watchdog is there.
    void startSlowed()
    {
        ASSERT_TRUE(m_devices.setMatrix(m_mouse, OddMatrix));
        ASSERT_TRUE(m_directory.writeSettings("[MAGNIFIER]\nSlowMouse=1\n"));
        m_program.emplace(m_server, m_directory, std::vector<std::string>{"-x", "100", "-y", "200"});
        std::string why;
        ASSERT_TRUE(m_program->waitUntilReady(why)) << why;
        ASSERT_EQ(waitForMatrix(m_mouse, SlowOddMatrix), SlowOddMatrix) << "SlowMouse=1 not applied";
        m_watchdog = waitForWatchdog(m_program->process().pid());
        ASSERT_TRUE(m_watchdog) << "no watchdog; " << m_program->transcript();
    }

    // Whether the watchdog has ended: it comes to this process (the
    // subreaper) once the program has gone, and is reaped here.
    bool watchdogEnded()
    {
        return waitUntil(ProgramExitTimeout, [&] {
            const pid_t reaped = ::waitpid(*m_watchdog, nullptr, WNOHANG);
            return reaped == *m_watchdog || (reaped < 0 && ::kill(*m_watchdog, 0) != 0);
        });
    }

    std::optional<RunningProgram> m_program;
    std::optional<pid_t> m_watchdog;
    rlimit m_coreLimit{};
};

TEST_F(ProgramPointerWatchdog, deathOfTheProgramGivesThePointerBackAtOnce)
{
    for (const int signo : {SIGSEGV, SIGABRT, SIGQUIT, SIGKILL}) {
        SCOPED_TRACE(strsignal(signo));
        ASSERT_NO_FATAL_FAILURE(startSlowed());
        const auto before = m_devices.properties();
        ASSERT_TRUE(m_program->process().signal(signo));
        const auto status = m_program->process().waitForExit(ProgramExitTimeout);
        ASSERT_TRUE(status && WIFSIGNALED(*status)) << "did not die of the signal; " << m_program->transcript();

        EXPECT_EQ(waitForMatrix(m_mouse, OddMatrix), OddMatrix) << "the mouse is still slow";
        EXPECT_TRUE(watchdogEnded()) << "the watchdog is still there";
        EXPECT_TRUE(ProgramDirectory::entries(m_directory.runtimeDir()).empty()) << "the state file is still there";
        auto after = m_devices.properties();
        after.erase("Xvfb mouse/Coordinate Transformation Matrix");
        auto expected = before;
        expected.erase("Xvfb mouse/Coordinate Transformation Matrix");
        EXPECT_EQ(after, expected) << "something else was changed";
        m_program.reset();
    }
}

TEST_F(ProgramPointerWatchdog, valueTheUserSetMeanwhileIsKept)
{
    ASSERT_NO_FATAL_FAILURE(startSlowed());
    const MatrixBits users = matrixOf({2, 0, 0, 0, 2, 0, 0, 0, 1});
    ASSERT_TRUE(m_devices.setMatrix(m_mouse, users));
    ASSERT_TRUE(m_program->process().signal(SIGKILL));
    ASSERT_TRUE(m_program->process().waitForExit(ProgramExitTimeout));
    ASSERT_TRUE(watchdogEnded()) << "the watchdog is still there";
    EXPECT_EQ(m_devices.matrix(m_mouse), users);
    EXPECT_TRUE(ProgramDirectory::entries(m_directory.runtimeDir()).empty()) << "the state file is still there";
}

// At a normal end the program gives the pointer back itself, and its
// watchdog ends with it: nothing stays behind.
TEST_F(ProgramPointerWatchdog, watchdogEndsWithANormalEnd)
{
    for (const bool bySignal : {false, true}) {
        SCOPED_TRACE(bySignal ? "SIGTERM" : "I");
        ASSERT_NO_FATAL_FAILURE(startSlowed());
        if (bySignal)
            ASSERT_TRUE(m_program->process().signal(SIGTERM));
        else
            ASSERT_TRUE(m_keyboard.tap({"i"}));
        const auto status = m_program->process().waitForExit(ProgramExitTimeout);
        ASSERT_TRUE(status && WIFEXITED(*status)) << m_program->transcript();
        EXPECT_EQ(WEXITSTATUS(*status), 0) << m_program->transcript();
        EXPECT_EQ(m_devices.matrix(m_mouse), OddMatrix);
        EXPECT_TRUE(watchdogEnded()) << "the watchdog outlived the program";
        EXPECT_TRUE(ProgramDirectory::entries(m_directory.runtimeDir()).empty());
        m_program.reset();
    }
}

} // namespace
