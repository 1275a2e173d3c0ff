// Where the pointer state file goes, and how the program tells a copy that
// still runs from one that has ended. No display is needed.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/x11/x11_pointer_state.h"
#include "support/processes.h"
#include "support/xvfb.h"

using namespace tintora;
using namespace tintora::test;
using tintora::x11::PointerStateFile;

namespace {

namespace fs = std::filesystem;

// What this process writes to standard error while it lives.
class StderrCapture {
public:
    StderrCapture()
    {
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        const int fd = ::open(m_file.path().c_str(), O_WRONLY | O_TRUNC);
        ::dup2(fd, STDERR_FILENO);
        ::close(fd);
    }
    ~StderrCapture() { restore(); }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    std::string text()
    {
        restore();
        return m_file.contents();
    }

private:
    void restore()
    {
        if (m_saved < 0) return;
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        m_saved = -1;
    }
    TempFile m_file;
    int m_saved = -1;
};

const std::vector<ChangedSetting> Devices{{6, "Xvfb mouse", {0x3f800000, 0, 0, 0, 0x3f800000, 0, 0, 0, 0x3f800000},
                                        {{0x3d000000, 0, 0, 0, 0x3d000000, 0, 0, 0, 0x3f800000}}}};

std::string privateFolderIn(const std::string& temporary) { return temporary + "/tintora-" + std::to_string(::getuid()); }

// Where $XDG_RUNTIME_DIR is missing or cannot be written (a directory no
// one can create files in, root included: /proc), the file goes to a private
// folder of the user's under the temporary directory, without a word.
TEST(PointerStateFile, goesToAPrivateFolderWhenTheRuntimeDirectoryCannotBeWritten)
{
    struct Case {
        const char* name;
        std::optional<std::string> runtimeDir;
    };
    const Case cases[] = {
        {"read-only", "/proc"},
        {"missing", "/nonexistent/runtime"},
        {"unset", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir temporary{"tintora-state"};
        ASSERT_FALSE(temporary.path().empty());
        ScopedEnv runtime("XDG_RUNTIME_DIR", c.runtimeDir);
        ScopedEnv tmpdir("TMPDIR", temporary.path());

        PointerStateFile file(":57");
        StderrCapture errors;
        EXPECT_TRUE(file.save(Devices));
        EXPECT_EQ(errors.text(), "");

        const std::string folder = privateFolderIn(temporary.path());
        const std::string path = folder + "/tintora-pointer-:57-" + std::to_string(::getpid()) + ".state";
        EXPECT_EQ(file.existingPath(), path);
        struct stat st {};
        ASSERT_EQ(::lstat(folder.c_str(), &st), 0) << folder;
        EXPECT_TRUE(S_ISDIR(st.st_mode));
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        EXPECT_EQ(st.st_uid, ::getuid());
        const auto loaded = PointerStateFile::load(path);
        ASSERT_TRUE(loaded);
        ASSERT_EQ(loaded->settings.size(), 1u);
        EXPECT_EQ(loaded->settings.front().original, Devices.front().original);
        EXPECT_EQ(loaded->settings.front().written, Devices.front().written);

        file.remove();
        EXPECT_FALSE(fs::exists(path));
    }
}

// Where nothing can be written (the runtime directory read-only, and the
// temporary directory too or its folder of that name someone else's), the
// program says so on standard error, once.
TEST(PointerStateFile, noPlaceToWriteIsReportedOnStandardError)
{
    TempDir temporary{"tintora-state"};
    ASSERT_FALSE(temporary.path().empty());
    ScopedEnv runtime("XDG_RUNTIME_DIR", "/proc");
    {
        SCOPED_TRACE("temporary directory read-only");
        // The capture's own file comes from the temporary directory too.
        StderrCapture errors;
        ScopedEnv tmpdir("TMPDIR", "/proc");
        PointerStateFile file(":57");
        EXPECT_FALSE(file.save(Devices));
        EXPECT_FALSE(file.save(Devices));
        const std::string text = errors.text();
        const std::string said = "no place to keep the pointer's own settings";
        const auto first = text.find(said);
        EXPECT_NE(first, std::string::npos) << text;
        EXPECT_EQ(text.find(said, first + 1), std::string::npos) << "said twice: " << text;
        EXPECT_NE(text.find("/proc"), std::string::npos) << text;
        EXPECT_TRUE(file.existingPath().empty());
    }
    {
        SCOPED_TRACE("the private folder belongs to someone else");
        const std::string folder = privateFolderIn(temporary.path());
        ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
        if (::chown(folder.c_str(), 65534, 65534) != 0) GTEST_SKIP() << "only root can give a folder away";
        ScopedEnv tmpdir("TMPDIR", temporary.path());
        PointerStateFile file(":57");
        StderrCapture errors;
        EXPECT_FALSE(file.save(Devices));
        const std::string text = errors.text();
        EXPECT_NE(text.find(folder), std::string::npos) << text;
        EXPECT_TRUE(fs::is_empty(folder)) << "wrote into someone else's folder";
    }
}

// kill(pid, 0) reaches a zombie too: a copy that died and was not reaped yet
// has ended all the same, and its state file is left over.
TEST(PointerStateFile, zombieCountsAsEnded)
{
    TempDir runtimeDir{"tintora-runtime"};
    ScopedEnv runtime("XDG_RUNTIME_DIR", runtimeDir.path());
    EXPECT_FALSE(PointerStateFile::processEnded(::getpid()));

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        PointerStateFile file(":57");
        ::_exit(file.save(Devices) ? 0 : 1);
    }
    siginfo_t info{};
    ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT), 0);
    ASSERT_EQ(info.si_status, 0);
    ASSERT_EQ(::kill(child, 0), 0) << "not a zombie";
    EXPECT_TRUE(PointerStateFile::processEnded(child));

    PointerStateFile mine(":57");
    const std::string left = runtimeDir.path() + "/tintora-pointer-:57-" + std::to_string(child) + ".state";
    EXPECT_EQ(mine.orphans(), std::vector<std::string>{left});
    const auto others = mine.others();
    ASSERT_EQ(others.size(), 1u);
    EXPECT_FALSE(others.front().running);

    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    EXPECT_TRUE(PointerStateFile::processEnded(child));
}

} // namespace
