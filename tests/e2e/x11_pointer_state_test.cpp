// Where the pointer state file goes, and how the program tells a copy that
// still runs from one that has ended. No display is needed.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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

// A folder made for the case, with exactly mode; its path.
std::string folderWithMode(const std::string& path, mode_t mode)
{
    EXPECT_EQ(::mkdir(path.c_str(), 0700), 0) << path;
    EXPECT_EQ(::chmod(path.c_str(), mode), 0) << path;
    return path;
}

// The folder given away to another user; false when only root could.
bool giveAway(const std::string& path) { return ::chown(path.c_str(), 65534, 65534) == 0; }

// A folder's mode (in octal) and owner.
std::pair<std::string, uid_t> statusOf(const std::string& path)
{
    struct stat st {};
    ::lstat(path.c_str(), &st);
    char mode[16];
    std::snprintf(mode, sizeof mode, "%o", static_cast<unsigned>(st.st_mode));
    return {mode, st.st_uid};
}

// Where $XDG_RUNTIME_DIR is missing, cannot be written (a directory no one
// can create files in, root included: /proc) or is not a folder of the
// user's that nobody else may enter (another user may have put links in it,
// or still can), the file goes to a private folder of the user's under the
// temporary directory, without a word; the runtime directory stays as it was.
TEST(PointerStateFile, goesToAPrivateFolderWhenTheRuntimeDirectoryIsNotAPrivateOne)
{
    struct Case {
        const char* name;
        // The runtime directory, made in scratch.
        std::function<std::optional<std::string>(const std::string& scratch)> runtimeDir;
        bool needsRoot = false;
    };
    const Case cases[] = {
        {"read-only", [](const std::string&) { return "/proc"; }},
        {"missing", [](const std::string&) { return "/nonexistent/runtime"; }},
        {"unset", [](const std::string&) { return std::nullopt; }},
        {"open to everyone", [](const std::string& s) { return folderWithMode(s + "/run", 0777); }},
        {"open to the group", [](const std::string& s) { return folderWithMode(s + "/run", 0750); }},
        {"a link to a private folder",
         [](const std::string& s) {
             folderWithMode(s + "/real", 0700);
             EXPECT_EQ(::symlink("real", (s + "/run").c_str()), 0);
             return s + "/run";
         }},
        {"someone else's",
         [](const std::string& s) {
             const std::string dir = folderWithMode(s + "/run", 0700);
             EXPECT_TRUE(giveAway(dir));
             return dir;
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.needsRoot && ::geteuid() != 0) continue;
        TempDir temporary{"tintora-state"};
        TempDir scratch{"tintora-runtime"};
        ASSERT_FALSE(temporary.path().empty());
        const std::optional<std::string> runtimeDir = c.runtimeDir(scratch.path());
        const auto scratchBefore = scratch.entries();
        ScopedEnv runtime("XDG_RUNTIME_DIR", runtimeDir);
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
        for (const std::string& made : scratchBefore)
            EXPECT_TRUE(TempDir::entries(scratch.file(made)).empty()) << made << " was written into";

        file.remove();
        EXPECT_FALSE(fs::exists(path));
    }
}

// Where nothing can be written (the runtime directory read-only, and the
// temporary directory too, or its folder of that name not a private folder
// of the user's), the program says so on standard error, once, and leaves
// the folder as it found it: one that was open to others may hold anyone's
// links already, and making it private now would not take them out.
TEST(PointerStateFile, noPlaceToWriteIsReportedOnStandardError)
{
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
    struct Case {
        const char* name;
        // Makes the folder something else than a private one.
        std::function<bool(const std::string& folder)> spoil;
    };
    const Case cases[] = {
        {"belongs to someone else", giveAway},
        {"open to everyone", [](const std::string& folder) { return ::chmod(folder.c_str(), 0777) == 0; }},
        {"open to the group", [](const std::string& folder) { return ::chmod(folder.c_str(), 0770) == 0; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir temporary{"tintora-state"};
        ASSERT_FALSE(temporary.path().empty());
        const std::string folder = privateFolderIn(temporary.path());
        ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
        if (!c.spoil(folder)) continue; // only root can give a folder away
        const auto before = statusOf(folder);
        ScopedEnv tmpdir("TMPDIR", temporary.path());
        PointerStateFile file(":57");
        StderrCapture errors;
        EXPECT_FALSE(file.save(Devices));
        const std::string text = errors.text();
        EXPECT_NE(text.find(folder), std::string::npos) << text;
        EXPECT_TRUE(fs::is_empty(folder)) << "wrote into a folder that is not the user's alone";
        EXPECT_EQ(statusOf(folder), before) << "the folder was changed";
    }
}

// A link at the name of the state file or of the temporary file its new
// text goes to (both names are easy to guess) is never written through: the
// file it leads to stays as it was, and the link stays too, not being the
// program's own.
TEST(PointerStateFile, isNeverWrittenThroughALink)
{
    const std::string name = "tintora-pointer-:57-" + std::to_string(::getpid()) + ".state";
    struct Case {
        const char* name;
        std::vector<std::string> links;
    };
    std::vector<std::string> temporaryNames;
    // The names the next writes try first (a write takes the first free one).
    for (int n = 0; n < 50; ++n)
        temporaryNames.push_back("." + name + "." + std::to_string(::getpid()) + "." + std::to_string(n) + ".tmp");
    const Case cases[] = {
        {"at the state file's name", {name}},
        {"at the temporary file's names", temporaryNames},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir runtimeDir{"tintora-runtime"};
        TempDir temporary{"tintora-state"};
        TempDir elsewhere{"tintora-victim"};
        const std::string victim = elsewhere.file("victim");
        ASSERT_TRUE(static_cast<bool>(std::ofstream(victim) << "the user's own bytes\n"));
        for (const std::string& link : c.links) ASSERT_EQ(::symlink(victim.c_str(), runtimeDir.file(link).c_str()), 0);
        ScopedEnv runtime("XDG_RUNTIME_DIR", runtimeDir.path());
        ScopedEnv tmpdir("TMPDIR", temporary.path());

        PointerStateFile file(":57");
        EXPECT_TRUE(file.save(Devices));
        EXPECT_TRUE(file.save(Devices));
        EXPECT_EQ(readAll(victim), "the user's own bytes\n");
        EXPECT_EQ(elsewhere.entries(), std::vector<std::string>{"victim"});
        struct stat st {};
        ASSERT_EQ(::lstat(file.existingPath().c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode)) << file.existingPath();
        for (const std::string& link : c.links)
            EXPECT_TRUE(fs::is_symlink(runtimeDir.file(link))) << link;
        file.remove();
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
