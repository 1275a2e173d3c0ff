// The real program on a private Xvfb with the slow pointer on, ended in ways
// it cannot clean up after (crash signals, SIGKILL): its watchdog gives the
// pointer devices back at once, read in the matrix of the server's own mouse,
// and never undoes a value the user set meanwhile; at a normal end the
// watchdog goes with the program.

#include <gtest/gtest.h>
#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "e2e/input_devices.h"
#include "e2e/running_program.h"
#include "support/printers.h"
#include "support/processes.h"
#include "support/xvfb.h"

using namespace tintora;
using namespace tintora::test;

namespace {

constexpr const char* WatchdogName = "tintora-pointer-watchdog";

// Awkward values, so that any rounding on the way back shows, and the same
// with the first two columns at a 32nd: the slow pointer.
const MatrixBits OddMatrix = matrixOf({1.1f, 0.2f, 0.0001f, -0.3f, 0.7f, 3.5e-5f, -0.0f, 0.0f, 1.0f});
const MatrixBits SlowOddMatrix =
    matrixOf({1.1f / 32, 0.2f / 32, 0.0001f, -0.3f / 32, 0.7f / 32, 3.5e-5f, -0.0f, 0.0f, 1.0f});

// The watchdog the program started: a child of it called so.
std::optional<pid_t> watchdogOf(pid_t program)
{
    std::optional<pid_t> found;
    DIR* proc = ::opendir("/proc");
    if (!proc) return found;
    while (const dirent* entry = ::readdir(proc)) {
        const pid_t pid = static_cast<pid_t>(std::atol(entry->d_name));
        if (pid <= 0 || parentOf(pid) != program) continue;
        const std::string cmdline = readAll("/proc/" + std::to_string(pid) + "/cmdline");
        if (cmdline.substr(0, cmdline.find('\0')) == WatchdogName) found = pid;
    }
    ::closedir(proc);
    return found;
}

class ProgramPointerWatchdog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.running()) << m_server.error();
        ASSERT_TRUE(m_directory.error().empty()) << m_directory.error();
        ASSERT_TRUE(loadIdentityRamp(m_server));
        const auto mouse = m_devices.idOf("Xvfb mouse");
        ASSERT_TRUE(mouse) << "Xvfb is expected to have a mouse";
        m_mouse = *mouse;
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
        ASSERT_EQ(waitForMouse(SlowOddMatrix), SlowOddMatrix) << "SlowMouse=1 not applied";
        waitUntil(ProgramStartTimeout, [&] {
            m_watchdog = watchdogOf(m_program->process().pid());
            return m_watchdog.has_value();
        });
        ASSERT_TRUE(m_watchdog) << "no watchdog; " << m_program->transcript();
    }

    std::optional<MatrixBits> waitForMouse(const MatrixBits& expected)
    {
        std::optional<MatrixBits> last;
        waitUntil(ProgramStartTimeout, [&] {
            last = m_devices.matrix(m_mouse);
            return last == expected;
        });
        return last;
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

    Xvfb m_server;
    InputDevices m_devices{m_server};
    Keyboard m_keyboard{m_server};
    ProgramDirectory m_directory;
    std::optional<RunningProgram> m_program;
    std::optional<pid_t> m_watchdog;
    int m_mouse = 0;
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

        EXPECT_EQ(waitForMouse(OddMatrix), OddMatrix) << "the mouse is still slow";
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
