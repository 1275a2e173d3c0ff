// The X11 clipboard on a private Xvfb, read back with the real xclip: text set
// through Qt, and what becomes of it when the program ends, with and without
// a clipboard manager. The program here is x11_clipboard_helper, which drives
// the real backend the way the program does.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/processes.h"
#include "support/running_program.h"
#include "support/xvfb.h"

using namespace tintora::test;

namespace {

constexpr const char* Helper = CLIPBOARD_HELPER;
constexpr const char* KeeperName = "tintora-clipboard-keeper";
constexpr auto StartTimeout = ProgramStartTimeout;
constexpr auto ExitTimeout = ProgramExitTimeout;
constexpr auto PasteTimeout = 5000ms;

// A process started here, with its stdout and stderr kept in files.
struct Process {
    TempFile output;
    TempFile errors;
    std::unique_ptr<ChildProcess> process;

    std::string stdoutText() const { return output.contents(); }
    // Waits until stdout holds a line starting with prefix; that line.
    std::optional<std::string> waitForLine(const std::string& prefix, std::chrono::milliseconds timeout) const
    {
        std::optional<std::string> found;
        waitUntil(timeout, [&] {
            std::istringstream lines(output.contents());
            for (std::string line; std::getline(lines, line);)
                if (line.starts_with(prefix)) found = line;
            return found.has_value();
        });
        return found;
    }
};

class X11Clipboard : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server->running()) << m_server->error();
        // A keeper outlives the helper that started it. As their subreaper
        // this process gets the orphans as children: to find, and to reap.
        ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    }

    void TearDown() override
    {
        for (pid_t pid : keepers()) m_keepers.insert(pid);
        for (pid_t pid : m_keepers) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        ::prctl(PR_SET_CHILD_SUBREAPER, 0);
    }

    std::vector<std::string> environment() const { return m_server->clientEnvironment({{"QT_QPA_PLATFORM", "xcb"}}); }

    std::unique_ptr<Process> start(const std::string& program, const std::vector<std::string>& args)
    {
        auto run = std::make_unique<Process>();
        run->process = std::make_unique<ChildProcess>(program, args, environment(), run->errors.path(),
                                                      run->output.path());
        return run;
    }

    // Starts the helper and waits until it has set the text; false (with a
    // failure noted) when it did not.
    std::unique_ptr<Process> setText(const std::vector<std::string>& args)
    {
        auto run = start(Helper, args);
        const auto line = run->waitForLine("set: ", StartTimeout);
        EXPECT_EQ(line, "set: ok") << run->errors.contents();
        if (line != "set: ok") return nullptr;
        return run;
    }

    // What `xclip -o -selection clipboard [-t target]` prints; nothing when
    // it fails or does not end in time.
    std::optional<std::string> paste(const std::optional<std::string>& target = std::nullopt)
    {
        std::vector<std::string> args{"-o", "-selection", "clipboard"};
        if (target) args.insert(args.end(), {"-t", *target});
        auto xclip = start("xclip", args);
        if (exitCode(xclip->process->waitForExit(PasteTimeout)) != 0) return std::nullopt;
        return xclip->stdoutText();
    }

    // Another program copies text: xclip, which stays in the foreground
    // until it loses the selection.
    std::unique_ptr<Process> copyElsewhere(const std::string& text)
    {
        auto file = std::make_unique<TempFile>();
        EXPECT_TRUE(file->write(text));
        auto xclip = start("xclip", {"-quiet", "-selection", "clipboard", file->path()});
        EXPECT_TRUE(waitUntil(PasteTimeout, [&] { return paste() == text; })) << xclip->errors.contents();
        m_files.push_back(std::move(file));
        return xclip;
    }

    // Keepers running as children of this process (see SetUp).
    std::vector<pid_t> keepers()
    {
        const std::vector<pid_t> found = childrenCalled(KeeperName);
        for (pid_t pid : found) m_keepers.insert(pid);
        return found;
    }

    // Whether the keeper has ended (it is reaped then).
    bool ended(pid_t keeper)
    {
        if (::waitpid(keeper, nullptr, WNOHANG) != keeper) return false;
        m_keepers.erase(keeper);
        return true;
    }

    // Ends the helper with SIGTERM as the program is ended, then checks that
    // it ended by itself, in time.
    static void endProgram(Process& run)
    {
        run.process->signal(SIGTERM);
        EXPECT_EQ(exitCode(run.process->waitForExit(ExitTimeout)), 0) << run.errors.contents();
    }

    std::optional<Xvfb> m_server{std::in_place};
    std::set<pid_t> m_keepers;
    std::vector<std::unique_ptr<TempFile>> m_files;
};

TEST_F(X11Clipboard, textIsPasteableUntilAnotherProgramCopies)
{
    auto program = setText({"set", "C86400", "--stay"});
    ASSERT_TRUE(program);
    EXPECT_EQ(paste(), "C86400");
    EXPECT_TRUE(keepers().empty()) << "a keeper while the program runs";

    // The program ends with no clipboard manager: a keeper holds the text.
    endProgram(*program);
    const std::vector<pid_t> kept = keepers();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(paste(), "C86400");

    // Someone else copies: the keeper has nothing left to do.
    auto other = copyElsewhere("x");
    EXPECT_TRUE(waitUntil(ExitTimeout, [&] { return ended(kept[0]); }));
    EXPECT_EQ(paste(), "x");
}

TEST_F(X11Clipboard, keeperServesTheTextAsEachTextTarget)
{
    struct Case {
        std::string text;
        std::map<std::string, std::string> pastes; // target -> what xclip prints
    };
    const Case cases[] = {
        // STRING is ISO 8859-1; TEXT is the same when the text fits it.
        {"Grün C86400", {{"UTF8_STRING", "Grün C86400"}, {"STRING", "Gr\xfcn C86400"}, {"TEXT", "Gr\xfcn C86400"}}},
        // A character that ISO 8859-1 lacks reads '?' as STRING; TEXT is
        // then sent as UTF8_STRING.
        {"5 €", {{"UTF8_STRING", "5 €"}, {"STRING", "5 ?"}, {"TEXT", "5 €"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        auto program = setText({"set", c.text});
        ASSERT_TRUE(program);
        EXPECT_EQ(exitCode(program->process->waitForExit(ExitTimeout)), 0) << program->errors.contents();
        const std::vector<pid_t> kept = keepers();
        ASSERT_EQ(kept.size(), 1u);

        for (const auto& [target, expected] : c.pastes) EXPECT_EQ(paste(target), expected) << target;
        const std::optional<std::string> targets = paste("TARGETS");
        ASSERT_TRUE(targets);
        for (const char* offered : {"TARGETS", "UTF8_STRING", "STRING", "TEXT"})
            EXPECT_NE(targets->find(offered), std::string::npos) << offered << " missing from " << *targets;
        EXPECT_EQ(paste("image/png"), std::nullopt) << "a target the keeper does not have";

        ::kill(kept[0], SIGTERM);
        EXPECT_TRUE(waitUntil(ExitTimeout, [&] { return ended(kept[0]); }));
    }
}

TEST_F(X11Clipboard, largeTextOutlivesTheProgram)
{
    // Larger than an X request without BIG-REQUESTS (256 KiB) and than a
    // pipe's buffer.
    std::string text;
    while (text.size() < 400 * 1024) text += "C86400 " + std::to_string(text.size()) + "\n";
    TempFile file;
    ASSERT_TRUE(file.write(text));

    auto program = setText({"set-file", file.path()});
    ASSERT_TRUE(program);
    EXPECT_EQ(exitCode(program->process->waitForExit(ExitTimeout)), 0) << program->errors.contents();
    ASSERT_EQ(keepers().size(), 1u);
    const std::optional<std::string> pasted = paste();
    ASSERT_TRUE(pasted);
    EXPECT_EQ(pasted->size(), text.size());
    EXPECT_TRUE(*pasted == text);
}

TEST_F(X11Clipboard, keeperEndsWithTheServer)
{
    auto program = setText({"set", "C86400"});
    ASSERT_TRUE(program);
    EXPECT_EQ(exitCode(program->process->waitForExit(ExitTimeout)), 0) << program->errors.contents();
    const std::vector<pid_t> kept = keepers();
    ASSERT_EQ(kept.size(), 1u);

    m_server.reset();
    EXPECT_TRUE(waitUntil(ExitTimeout, [&] { return ended(kept[0]); }));
}

TEST_F(X11Clipboard, clipboardManagerGetsTheTextFromQt)
{
    auto manager = start(Helper, {"manager"});
    ASSERT_TRUE(manager->waitForLine("ready", StartTimeout)) << manager->errors.contents();

    auto program = setText({"set", "C86400"});
    ASSERT_TRUE(program);
    EXPECT_EQ(exitCode(program->process->waitForExit(ExitTimeout)), 0) << program->errors.contents();
    EXPECT_EQ(manager->waitForLine("saved", PasteTimeout), "saved: C86400");
    EXPECT_TRUE(keepers().empty()) << "a keeper although a clipboard manager took the text";
    // The stand-in leaves the CLIPBOARD unowned, so nobody else took it.
    EXPECT_EQ(paste(), std::nullopt);
}

TEST_F(X11Clipboard, copyByAnotherProgramBeforeTheEndIsLeftAlone)
{
    auto program = setText({"set", "C86400", "--stay"});
    ASSERT_TRUE(program);
    // The same text: only the selection's owner tells the copies apart.
    auto other = copyElsewhere("C86400");

    endProgram(*program);
    EXPECT_TRUE(keepers().empty()) << "a keeper for text another program copied";
    // xclip ends when it loses the selection.
    EXPECT_TRUE(other->process->running());
    EXPECT_EQ(paste(), "C86400");
}

TEST_F(X11Clipboard, setTextWithoutGuiApplicationFails)
{
    auto program = start(Helper, {"no-app", "C86400"});
    const auto line = program->waitForLine("set: ", StartTimeout);
    ASSERT_TRUE(line) << program->errors.contents();
    EXPECT_TRUE(line->starts_with("set: failed: ") && line->size() > std::string("set: failed: ").size()) << *line;
    EXPECT_EQ(paste(), std::nullopt);
}

} // namespace
