// The real program on a headless sway of its own: the wlroots backend
// chosen, the screen read through wlroots' screen copy, and the pick mode's
// overlay following the pointer (moved through sway's IPC), freezing at a
// click, leaving at Esc and nudging the pointer by the arrow keys (typed
// through a virtual keyboard).

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include "support/headless_sway.h"

using namespace tintora;
using namespace tintora::test;

namespace {

constexpr auto ReadTimeout = 20000ms;
// Each wtype makes a new virtual keyboard, which the program must first
// learn of from the compositor: a key typed at once may come before the
// program has its keyboard and be lost. wtype waits a moment before the key,
// and the key is typed again when nothing has come of it by KeyRetry.
constexpr auto KeyRetry = 3000ms;
const std::string KeyboardSettles = "250"; // ms
// Both halves of the client's window, as RRGGBB and as the readouts show them.
const std::string Left = "C80040", Right = "2060A0";
const std::string LeftReadouts = "Bitmap 200 0 64 ", RightReadouts = "Bitmap 32 96 160 ";

class WlrootsProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!m_session.running()) GTEST_SKIP() << "no headless sway here: " << m_session.error();
        if (findInPath("wtype").empty()) GTEST_SKIP() << "wtype is not installed (scripts/deps installs it)";
        // The program's copy, in a directory of the session's user, where
        // its settings file goes.
        const std::string dir = m_session.makeDirectory("program");
        ASSERT_FALSE(dir.empty());
        m_binary = dir + "/tintora";
        std::error_code e;
        ASSERT_TRUE(std::filesystem::copy_file(TINTORA_BINARY, m_binary, e)) << e.message();
        ASSERT_TRUE(m_session.giveToSessionUser(m_binary));
        m_client = m_session.startClient({WAYLAND_TEST_CLIENT, Left, Right}, {}, m_clientErrors.path(),
                                         m_clientOutput.path());
        ASSERT_TRUE(waitUntil(ReadTimeout, [&] { return m_clientOutput.contents().find("ready") != std::string::npos; }))
            << m_clientErrors.contents();
        // The window reaches the screen a moment after it painted.
        ASSERT_TRUE(waitUntil(ReadTimeout, [&] { return probe({"--at", "100,100"}) == "100 100 bitmap " + Left + " lut none\n"; }))
            << probe({"--at", "100,100"});
    }

    // What the probe prints, or "failed: ..." with its errors.
    std::string probe(const std::vector<std::string>& args)
    {
        TempFile out, err;
        std::vector<std::string> command{m_binary};
        command.insert(command.end(), args.begin(), args.end());
        const auto program = m_session.startClient(command, {}, err.path(), out.path());
        const int status = exitCode(program->waitForExit(ReadTimeout));
        return status == 0 ? out.contents() : "failed (" + std::to_string(status) + "): " + err.contents();
    }

    // The program's windows, their readouts and pick mode traced.
    void startWindows(const std::vector<std::string>& args)
    {
        std::vector<std::string> command{m_binary};
        command.insert(command.end(), args.begin(), args.end());
        m_program = m_session.startClient(command, {{"TINTORA_TRACE_READOUTS", "1"}}, m_errors.path(), m_trace.path());
        ASSERT_TRUE(m_program->pid()) << m_program->error();
    }

    // Whether the trace's lines from `from` on hold one that starts with text.
    bool traced(const std::string& text, std::size_t from = 0) const
    {
        const std::string trace = m_trace.contents();
        for (std::size_t at = trace.find(text, from); at != std::string::npos; at = trace.find(text, at + 1))
            if (at == 0 || trace[at - 1] == '\n') return true;
        return false;
    }
    bool waitForTrace(const std::string& text, std::size_t from = 0, std::chrono::milliseconds timeout = ReadTimeout)
    {
        return waitUntil(timeout, [&] { return traced(text, from); });
    }
    std::size_t traceEnd() const { return m_trace.contents().size(); }
    // The last readouts traced.
    std::string lastReadouts() const
    {
        const std::string trace = m_trace.contents();
        const std::size_t at = trace.rfind("\nBitmap ");
        if (at == std::string::npos) return trace.rfind("Bitmap ", 0) == 0 ? trace.substr(0, trace.find('\n')) : "";
        return trace.substr(at + 1, trace.find('\n', at + 1) - at - 1);
    }
    // Types a key until what it should bring about is traced.
    bool typeUntilTraced(const std::vector<std::string>& key, const std::string& text)
    {
        const std::size_t from = traceEnd();
        std::vector<std::string> typed{"-s", KeyboardSettles};
        typed.insert(typed.end(), key.begin(), key.end());
        return waitUntil(ReadTimeout, [&] { return m_session.type(typed) && waitForTrace(text, from, KeyRetry); });
    }
    std::string transcript() const { return "trace:\n" + m_trace.contents() + "errors:\n" + m_errors.contents(); }

    HeadlessSway m_session;
    std::string m_binary;
    TempFile m_clientOutput, m_clientErrors;
    std::unique_ptr<ChildProcess> m_client;
    TempFile m_trace, m_errors;
    std::unique_ptr<ChildProcess> m_program;
};

TEST_F(WlrootsProgram, probeReadsKnownColoursAndSaysNoRampCanBeRead)
{
    EXPECT_EQ(probe({"--at", "100,100", "--at", "1800,900", "--at", "1920,5"}),
              "100 100 bitmap " + Left + " lut none\n1800 900 bitmap " + Right + " lut none\n1920 5 bitmap none lut none\n");
    const std::string json = probe({"--at", "959,0", "--json"});
    EXPECT_NE(json.find("\"bitmap\":\"" + Left + "\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"ramp\":null"), std::string::npos) << json;
    // No ramp to list: the header alone.
    EXPECT_EQ(probe({"--lut"}), "output,level,red,green,blue\n");
}

TEST_F(WlrootsProgram, pickModeFollowsThePointerAndAClickFreezes)
{
    startWindows({"--pick"});
    ASSERT_TRUE(waitForTrace("Pick mode on")) << transcript();
    ASSERT_TRUE(m_session.movePointer({100, 100}));
    ASSERT_TRUE(waitForTrace(LeftReadouts)) << transcript();
    const std::size_t before = traceEnd();
    ASSERT_TRUE(m_session.movePointer({1800, 900}));
    ASSERT_TRUE(waitForTrace(RightReadouts, before)) << transcript();
    ASSERT_TRUE(m_session.click());
    ASSERT_TRUE(waitForTrace("Pick mode off", before)) << transcript();
    EXPECT_EQ(lastReadouts().rfind(RightReadouts, 0), 0u) << transcript();
    EXPECT_TRUE(m_program->running()) << transcript();
}

TEST_F(WlrootsProgram, escLeavesThePickModeWithTheReadoutsHeld)
{
    startWindows({"--pick"});
    ASSERT_TRUE(waitForTrace("Pick mode on")) << transcript();
    ASSERT_TRUE(m_session.movePointer({1800, 900}));
    ASSERT_TRUE(waitForTrace(RightReadouts)) << transcript();
    ASSERT_TRUE(typeUntilTraced({"-k", "Escape"}, "Pick mode off")) << transcript();
    EXPECT_TRUE(m_program->running()) << transcript();
    EXPECT_EQ(lastReadouts().rfind(RightReadouts, 0), 0u) << transcript();
}

TEST_F(WlrootsProgram, arrowKeysNudgeThePointerOnePixelInThePickMode)
{
    startWindows({"--pick"});
    ASSERT_TRUE(waitForTrace("Pick mode on")) << transcript();
    // The last column of the left half, then across the edge and back.
    ASSERT_TRUE(m_session.movePointer({959, 300}));
    ASSERT_TRUE(waitForTrace(LeftReadouts)) << transcript();
    ASSERT_TRUE(typeUntilTraced({"-k", "Right"}, RightReadouts)) << transcript();
    ASSERT_TRUE(typeUntilTraced({"-k", "Left"}, LeftReadouts)) << transcript();
    // One pixel each: the probe at the same points agrees.
    EXPECT_EQ(probe({"--at", "959,300", "--at", "960,300"}),
              "959 300 bitmap " + Left + " lut none\n960 300 bitmap " + Right + " lut none\n");
}

} // namespace
