// The POSIX file functions the settings file and the pointer's state files
// are read and written with.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/files.h"
#include "support/processes.h"

using namespace tintora;
using tintora::test::ScopedEnv;
using tintora::test::TempDir;

namespace {

// Sets the process umask for the scope.
class UmaskScope {
public:
    explicit UmaskScope(mode_t mask) : old_(::umask(mask)) {}
    ~UmaskScope() { ::umask(old_); }

private:
    mode_t old_;
};

// Other permission bits on a path for the scope.
class ModeScope {
public:
    ModeScope(std::string path, mode_t mode) : path_(std::move(path))
    {
        struct stat st {};
        ::stat(path_.c_str(), &st);
        old_ = st.st_mode & 07777;
        ::chmod(path_.c_str(), mode);
    }
    ~ModeScope() { ::chmod(path_.c_str(), old_); }

private:
    std::string path_;
    mode_t old_ = 0;
};

mode_t modeOf(const std::string& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

bool writeBytes(const std::string& path, const std::string& bytes)
{
    std::string error;
    return replaceFile(path, bytes, error);
}

std::string readBytes(const std::string& path)
{
    std::string error;
    return readFile(path, error).value_or("<unreadable: " + error + ">");
}

using Names = std::vector<std::string>;

} // namespace

TEST(IniStorage, writesNewAndExistingFilesWithTheirPermissions)
{
    TempDir dir{"tintora-ini"};
    ASSERT_FALSE(dir.path().empty());
    const std::string path = dir.file("Tintora.ini");
    std::string error;

    const auto missing = readFile(path, error);
    ASSERT_TRUE(missing.has_value()) << error;
    EXPECT_EQ(*missing, "");

    {
        UmaskScope umask(022);
        ASSERT_TRUE(replaceFile(path, "[A]\nx=1\n", error)) << error;
    }
    EXPECT_EQ(readBytes(path), "[A]\nx=1\n");
    EXPECT_EQ(modeOf(path), 0644u);
    EXPECT_EQ(dir.entries(), Names{"Tintora.ini"});

    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(replaceFile(path, "[A]\r\nx=2\r\n", error)) << error;
    EXPECT_EQ(readBytes(path), "[A]\r\nx=2\r\n");
    EXPECT_EQ(modeOf(path), 0640u);
    EXPECT_EQ(dir.entries(), Names{"Tintora.ini"});
}

TEST(IniStorage, writesThroughASymbolicLink)
{
    TempDir dir{"tintora-ini"};
    ASSERT_FALSE(dir.path().empty());
    ASSERT_TRUE(writeBytes(dir.file("real.ini"), "old"));
    ASSERT_EQ(::symlink("real.ini", dir.file("Tintora.ini").c_str()), 0);

    ASSERT_TRUE(writeBytes(dir.file("Tintora.ini"), "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("Tintora.ini")));
    EXPECT_EQ(readBytes(dir.file("real.ini")), "new");
    EXPECT_EQ(dir.entries(), (Names{"Tintora.ini", "real.ini"}));
}

TEST(IniStorage, directoryInThePlaceOfTheFile)
{
    TempDir dir{"tintora-ini"};
    ASSERT_FALSE(dir.path().empty());
    ASSERT_EQ(::mkdir(dir.file("Tintora.ini").c_str(), 0755), 0);
    std::string error;
    EXPECT_FALSE(readFile(dir.file("Tintora.ini"), error).has_value());
    EXPECT_NE(error, "");
    error.clear();
    EXPECT_FALSE(replaceFile(dir.file("Tintora.ini"), "x", error));
    EXPECT_NE(error, "");
    EXPECT_EQ(dir.entries(), Names{"Tintora.ini"});
}

TEST(IniStorage, failedWriteLeavesTheOldFileAndNoTemporaryFile)
{
    TempDir dir{"tintora-ini"};
    ASSERT_FALSE(dir.path().empty());
    const std::string path = dir.file("Tintora.ini");
    ASSERT_TRUE(writeBytes(path, "[A]\nx=1\n"));

    // A file size limit makes the write fail half-way, as a full disk would.
    struct Limit {
        rlimit old{};
        struct sigaction oldAction {};
        Limit()
        {
            struct sigaction ignore {};
            ignore.sa_handler = SIG_IGN;
            ::sigaction(SIGXFSZ, &ignore, &oldAction);
            ::getrlimit(RLIMIT_FSIZE, &old);
            rlimit small = old;
            small.rlim_cur = 1024;
            ::setrlimit(RLIMIT_FSIZE, &small);
        }
        ~Limit()
        {
            ::setrlimit(RLIMIT_FSIZE, &old);
            ::sigaction(SIGXFSZ, &oldAction, nullptr);
        }
    };
    std::string error;
    {
        Limit limit;
        EXPECT_FALSE(replaceFile(path, std::string(4096, 'x'), error));
    }
    EXPECT_NE(error, "");
    EXPECT_EQ(readBytes(path), "[A]\nx=1\n");
    EXPECT_EQ(dir.entries(), Names{"Tintora.ini"});
}

TEST(IniStorage, readOnlyFileOrDirectoryIsLeftAsItWas)
{
    const struct {
        const char* name;
        bool fileExists;
        mode_t fileMode;
        mode_t dirMode;
    } cases[] = {
        {"read-only file", true, 0444, 0755},
        {"read-only file in a read-only directory", true, 0444, 0555},
        {"no file, read-only directory", false, 0644, 0555},
    };
    for (const auto& c : cases) {
        TempDir dir{"tintora-ini"};
        ASSERT_FALSE(dir.path().empty());
        const std::string path = dir.file("Tintora.ini");
        if (c.fileExists) {
            ASSERT_TRUE(writeBytes(path, "[A]\nx=1\n"));
            ASSERT_EQ(::chmod(path.c_str(), c.fileMode), 0);
        }
        const Names before = dir.entries();
        {
            ModeScope readOnly(dir.path(), c.dirMode);
            std::string error;
            EXPECT_FALSE(replaceFile(path, "[A]\nx=2\n", error)) << c.name;
            EXPECT_NE(error, "") << c.name;
        }
        EXPECT_EQ(dir.entries(), before) << c.name;
        if (c.fileExists) {
            EXPECT_EQ(readBytes(path), "[A]\nx=1\n") << c.name;
        }
    }
}

// A shared install or a stick mounted that way: no temporary file can be made
// beside the file, but the file itself can be written, so it is rewritten in
// place, the same file (links to it, its owner and mode stay) with nothing of
// the old bytes left behind.
TEST(IniStorage, writableFileInAReadOnlyDirectoryIsRewrittenInPlace)
{
    const char* const before = "[A]\nx=1\ny=22\n";
    for (const std::string after : {"[A]\r\nx=1\r\ny=22\r\nz=333\r\n", "[A]\nx=0\n", ""}) {
        TempDir dir{"tintora-ini"};
        ASSERT_FALSE(dir.path().empty());
        const std::string path = dir.file("Tintora.ini");
        ASSERT_TRUE(writeBytes(path, before));
        ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
        struct stat old {};
        ASSERT_EQ(::stat(path.c_str(), &old), 0);
        {
            ModeScope readOnly(dir.path(), 0555);
            std::string error;
            EXPECT_TRUE(replaceFile(path, after, error)) << error;
        }
        EXPECT_EQ(readBytes(path), after);
        struct stat now {};
        ASSERT_EQ(::stat(path.c_str(), &now), 0);
        EXPECT_EQ(now.st_ino, old.st_ino) << "replaced instead of rewritten";
        EXPECT_EQ(modeOf(path), 0640u);
        EXPECT_EQ(dir.entries(), Names{"Tintora.ini"});
    }
}

// Only a regular file of a size settings files have is read: a device (a
// link to /dev/null or /dev/zero, which would never end) or a huge file
// reads as unreadable, with the reason.
TEST(IniStorage, onlyRegularFilesOfSettingsSizeAreRead)
{
    TempDir dir{"tintora-ini"};
    ASSERT_FALSE(dir.path().empty());
    ASSERT_EQ(::symlink("/dev/null", dir.file("device.ini").c_str()), 0);
    const auto sized = [&](const char* name, off_t size) {
        const std::string path = dir.file(name);
        EXPECT_TRUE(writeBytes(path, "[A]\nx=1\n"));
        EXPECT_EQ(::truncate(path.c_str(), size), 0);
        return path;
    };
    const struct {
        std::string path;
        bool readable;
    } cases[] = {
        {dir.file("device.ini"), false},
        {sized("large.ini", 1 << 20), true},
        {sized("huge.ini", 64 << 20), false},
    };
    for (const auto& c : cases) {
        std::string error;
        const auto bytes = readFile(c.path, error);
        EXPECT_EQ(bytes.has_value(), c.readable) << c.path;
        if (bytes) EXPECT_EQ(bytes->substr(0, 8), "[A]\nx=1\n") << c.path;
        else EXPECT_NE(error.find(c.path), std::string::npos) << c.path << ": " << error;
    }
}

TEST(UserConfigDirectory, followsTheBaseDirectoryRules)
{
    const struct {
        std::optional<std::string> xdg, home;
        const char* expected;
    } cases[] = {
        {"/x/cfg", "/home/u", "/x/cfg"},
        {std::nullopt, "/home/u", "/home/u/.config"},
        {"", "/home/u", "/home/u/.config"},
        {"relative/cfg", "/home/u", "/home/u/.config"},
        {std::nullopt, std::nullopt, ""},
    };
    for (const auto& c : cases) {
        ScopedEnv xdg("XDG_CONFIG_HOME", c.xdg);
        ScopedEnv home("HOME", c.home);
        EXPECT_EQ(userConfigDirectory(), c.expected) << c.xdg.value_or("(unset)") << ' ' << c.home.value_or("(unset)");
    }
}

// The program's own files (the pointer's state files) are read only when they
// are regular files of the user's of at most the size asked for: never
// waiting on a pipe, never following a link, never reading past the bound.
TEST(OwnFiles, onlyARegularFileOfTheUsersWithinTheBoundIsRead)
{
    constexpr std::size_t bound = 4096;
    TempDir dir{"tintora-own"};
    ASSERT_FALSE(dir.path().empty());
    const std::string bytes(bound, 'x');
    ASSERT_TRUE(writeBytes(dir.file("bound"), bytes));
    ASSERT_TRUE(writeBytes(dir.file("past"), bytes + "x"));
    ASSERT_EQ(::symlink(dir.file("bound").c_str(), dir.file("link").c_str()), 0);
    ASSERT_EQ(::symlink("/dev/zero", dir.file("zero").c_str()), 0);
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
    const bool asRoot = ::geteuid() == 0;
    if (asRoot) {
        ASSERT_TRUE(writeBytes(dir.file("theirs"), "x"));
        ASSERT_EQ(::chown(dir.file("theirs").c_str(), 65534, 65534), 0);
    }
    const struct {
        const char* name;
        bool readable;
    } cases[] = {
        {"bound", true}, {"past", false}, {"link", false}, {"zero", false},
        {"pipe", false}, {"missing", false}, {"theirs", false},
    };
    // A read that waits ends the test here rather than hanging it.
    ::alarm(10);
    for (const auto& c : cases) {
        if (std::string(c.name) == "theirs" && !asRoot) continue;
        std::string error;
        const auto read = readOwnFile(dir.file(c.name), bound, error);
        EXPECT_EQ(read.has_value(), c.readable) << c.name;
        if (read) EXPECT_EQ(*read, bytes) << c.name;
        else EXPECT_NE(error.find(dir.file(c.name)), std::string::npos) << c.name << ": " << error;
    }
    ::alarm(0);
}

// An own file is replaced only when it is a regular file of the user's (or
// missing), by a new file for the user alone, and never through a link,
// whether at its name or at the names its new text goes to first; a link
// found there stays, and so does the file it leads to. Removing it leaves
// anything else at its name.
TEST(OwnFiles, areReplacedAndRemovedNeverThroughALink)
{
    TempDir elsewhere{"tintora-victim"};
    const std::string victim = elsewhere.file("victim");
    ASSERT_TRUE(writeBytes(victim, "the user's own"));
    const struct {
        const char* name;
        // Makes what is at path (and beside it) before the write.
        std::function<bool(const std::string& path)> make;
        bool replaced;
    } cases[] = {
        {"nothing there", [](const std::string&) { return true; }, true},
        {"a file of the user's", [](const std::string& p) { return writeBytes(p, "old"); }, true},
        {"a link to a file", [&](const std::string& p) { return ::symlink(victim.c_str(), p.c_str()) == 0; }, false},
        {"a directory", [](const std::string& p) { return ::mkdir(p.c_str(), 0700) == 0; }, false},
        {"someone else's file",
         [](const std::string& p) { return writeBytes(p, "old") && ::chown(p.c_str(), 65534, 65534) == 0; }, false},
        {"links at the names of new files",
         [&](const std::string& p) {
             const std::size_t slash = p.rfind('/');
             bool made = true;
             for (int n = 0; n < 50; ++n) {
                 const std::string name = p.substr(0, slash + 1) + "." + p.substr(slash + 1) + "." +
                                          std::to_string(::getpid()) + "." + std::to_string(n) + ".tmp";
                 made &= ::symlink(victim.c_str(), name.c_str()) == 0;
             }
             return made;
         },
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir{"tintora-own"};
        ASSERT_FALSE(dir.path().empty());
        const std::string path = dir.file("own.state");
        if (!c.make(path)) continue; // only root can give a file away
        const Names before = dir.entries();
        std::string error;
        UmaskScope umask(022);
        EXPECT_EQ(replaceOwnFile(path, "new", error), c.replaced) << error;
        EXPECT_EQ(readBytes(victim), "the user's own");
        if (c.replaced) {
            EXPECT_EQ(readBytes(path), "new");
            EXPECT_EQ(modeOf(path), 0600u);
            removeOwnFile(path);
            EXPECT_FALSE(pathExists(path));
        } else {
            EXPECT_NE(error.find(path), std::string::npos) << error;
            removeOwnFile(path);
            EXPECT_EQ(dir.entries(), before) << "what is not the user's own file was changed";
        }
    }
}

namespace {

// Who a link or a file in the cases below belongs to: the user running the
// tests, or nobody (then only root can make it).
enum class Owner { User, Nobody };

constexpr uid_t NobodyId = 65534;

struct Identity {
    ino_t inode;
    uid_t owner;
    gid_t group;
    mode_t mode;
    bool operator==(const Identity&) const = default;
};

std::optional<Identity> identityOf(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
    return Identity{st.st_ino, st.st_uid, st.st_gid, static_cast<mode_t>(st.st_mode & 07777)};
}

std::string linkTextOf(const std::string& path)
{
    std::error_code e;
    return std::filesystem::read_symlink(path, e).string();
}

bool giveTo(const std::string& path, Owner owner)
{
    return owner == Owner::User || ::lchown(path.c_str(), NobodyId, NobodyId) == 0;
}

// What the settings file functions do with the file at the end of the links.
enum class Outcome {
    Replaced, // a new file at the file's name, its owner, group and mode kept, the links kept
    InPlace,  // the same file, its other name showing the new bytes too
    Refused,  // neither read nor written, and the reason says which path
};

struct LinkCase {
    const char* name;
    // The links from Tintora.ini to the file, the one at Tintora.ini first;
    // none when Tintora.ini is the file itself.
    std::vector<Owner> links;
    // Nothing: the last link leads to nothing.
    std::optional<Owner> file;
    bool secondName;
    Outcome outcome;
};

bool needsRoot(const LinkCase& c)
{
    return c.file == Owner::Nobody || std::find(c.links.begin(), c.links.end(), Owner::Nobody) != c.links.end();
}

const LinkCase LinkCases[] = {
    {"the file itself", {}, Owner::User, false, Outcome::Replaced},
    {"the file itself, with a second name", {}, Owner::User, true, Outcome::InPlace},
    {"somebody else's file itself (root saves it for them)", {}, Owner::Nobody, false, Outcome::Replaced},
    {"the user's link to the user's file", {Owner::User}, Owner::User, false, Outcome::Replaced},
    {"the user's link to the user's file with a second name", {Owner::User}, Owner::User, true, Outcome::InPlace},
    {"the user's link to somebody else's file", {Owner::User}, Owner::Nobody, false, Outcome::Refused},
    {"somebody else's link to the user's file", {Owner::Nobody}, Owner::User, false, Outcome::Refused},
    {"somebody else's link to the user's file with a second name", {Owner::Nobody}, Owner::User, true,
     Outcome::Refused},
    {"somebody else's link to their file", {Owner::Nobody}, Owner::Nobody, false, Outcome::Refused},
    {"the user's link to nothing", {Owner::User}, std::nullopt, false, Outcome::Refused},
    {"somebody else's link to nothing", {Owner::Nobody}, std::nullopt, false, Outcome::Refused},
    {"a chain of the user's links", {Owner::User, Owner::User, Owner::User}, Owner::User, false, Outcome::Replaced},
    {"a chain of the user's links to a file with a second name", {Owner::User, Owner::User}, Owner::User, true,
     Outcome::InPlace},
    {"a chain with somebody else's link in the middle", {Owner::User, Owner::Nobody, Owner::User}, Owner::User,
     false, Outcome::Refused},
    {"a chain ending in somebody else's link", {Owner::User, Owner::Nobody}, Owner::User, false, Outcome::Refused},
    {"a chain of the user's links to nothing", {Owner::User, Owner::User}, std::nullopt, false, Outcome::Refused},
};

// Lays out the case: settings/Tintora.ini, the further links in links/ (the
// first reached as "../links/1", the others by relative names, the last
// leading to the file by its full path), the file files/target.ini with mode
// 0640 and its second name files/also.ini; then reads and saves through
// Tintora.ini and checks what became of everything.
void checkSettingsLinks(const LinkCase& c)
{
    SCOPED_TRACE(c.name);
    TempDir root{"tintora-links"};
    ASSERT_FALSE(root.path().empty());
    for (const char* dir : {"settings", "links", "files"}) ASSERT_EQ(::mkdir(root.file(dir).c_str(), 0755), 0);
    const std::string path = root.file("settings/Tintora.ini");
    const std::string target = c.links.empty() ? path : root.file("files/target.ini");
    const std::string secondName = root.file("files/also.ini");
    const std::string before = "[A]\nx=1\n";
    if (c.file) {
        ASSERT_TRUE(writeBytes(target, before));
        ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
        ASSERT_TRUE(giveTo(target, *c.file));
        if (c.secondName) {
            ASSERT_EQ(::link(target.c_str(), secondName.c_str()), 0);
        }
    }
    std::vector<std::pair<std::string, std::string>> links; // name, text
    for (std::size_t i = 0; i < c.links.size(); ++i) {
        const std::string name = i == 0 ? path : root.file("links/" + std::to_string(i));
        const std::string text = i + 1 == c.links.size() ? target
                                 : i == 0                ? "../links/1"
                                                         : std::to_string(i + 1);
        ASSERT_EQ(::symlink(text.c_str(), name.c_str()), 0) << name;
        ASSERT_TRUE(giveTo(name, c.links[i])) << name;
        links.emplace_back(name, text);
    }
    const auto identityBefore = identityOf(target);
    const auto entriesBefore = std::vector{TempDir::entries(root.file("settings")), TempDir::entries(root.file("files"))};

    const bool usable = c.outcome != Outcome::Refused;
    std::string error;
    EXPECT_EQ(linksAreTheUsers(path, error), usable) << error;
    error.clear();
    const auto read = readFile(path, error);
    EXPECT_EQ(read.has_value(), usable) << error;
    if (read) {
        EXPECT_EQ(*read, before);
    }
    error.clear();
    UmaskScope umask(022);
    EXPECT_EQ(replaceFile(path, "[A]\nx=2\n", error), usable) << error;

    for (const auto& [name, text] : links) EXPECT_EQ(linkTextOf(name), text) << "the link " << name << " was not kept";
    const auto entriesAfter = std::vector{TempDir::entries(root.file("settings")), TempDir::entries(root.file("files"))};
    EXPECT_EQ(entriesAfter, entriesBefore) << "a file was left behind or made";
    const auto identityAfter = identityOf(target);
    switch (c.outcome) {
    case Outcome::Replaced:
        EXPECT_EQ(readBytes(target), "[A]\nx=2\n");
        ASSERT_TRUE(identityBefore && identityAfter);
        EXPECT_NE(identityAfter->inode, identityBefore->inode) << "not replaced in one step";
        EXPECT_EQ((Identity{identityBefore->inode, identityAfter->owner, identityAfter->group, identityAfter->mode}),
                  *identityBefore)
            << "owner, group or mode changed";
        break;
    case Outcome::InPlace:
        EXPECT_EQ(readBytes(target), "[A]\nx=2\n");
        EXPECT_EQ(identityAfter, identityBefore) << "parted from its other name";
        EXPECT_EQ(readBytes(secondName), "[A]\nx=2\n");
        break;
    case Outcome::Refused:
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_EQ(identityAfter, identityBefore);
        if (c.file) {
            std::string unused;
            EXPECT_EQ(readFile(target, unused).value_or("<unreadable>"), before) << "written through the link";
        }
        break;
    }
}

} // namespace

// The settings file through links, where every link and the file are the
// user's: a link (or chain) is followed, the file at its end replaced and
// the links kept; a file with a second name is rewritten in place; a link
// to nothing is not followed, so nothing is made where it points.
TEST(SettingsLinks, theUsersOwnLinksAreFollowed)
{
    for (const LinkCase& c : LinkCases)
        if (!needsRoot(c)) checkSettingsLinks(c);
}

// With somebody else's link anywhere on the way, or somebody else's file at
// the end of a link, nothing is read or written, whoever runs the program.
TEST(SettingsLinks, somebodyElsesLinksAreNotFollowed)
{
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give links and files to nobody";
    for (const LinkCase& c : LinkCases)
        if (needsRoot(c)) checkSettingsLinks(c);
}

// A file of the user's kept in a group the user is not in (given so by an
// administrator): a new file could not be given that group, so the file is
// rewritten in place and stays in it, with its mode.
TEST(SettingsLinks, fileOfAGroupTheUserIsNotInKeepsItsGroup)
{
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to nobody and act as nobody";
    TempDir dir{"tintora-group"};
    ASSERT_FALSE(dir.path().empty());
    ASSERT_EQ(::chown(dir.path().c_str(), NobodyId, NobodyId), 0);
    const std::string path = dir.file("Tintora.ini");
    ASSERT_TRUE(writeBytes(path, "[A]\nx=1\n"));
    ASSERT_EQ(::chown(path.c_str(), NobodyId, 0), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const auto before = identityOf(path);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(NobodyId) != 0 || ::setuid(NobodyId) != 0) ::_exit(2);
        std::string error;
        const bool saved = replaceFile(path, "[A]\nx=2\n", error);
        if (!saved) std::fprintf(stderr, "%s\n", error.c_str());
        ::_exit(saved ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
    EXPECT_EQ(readBytes(path), "[A]\nx=2\n");
    EXPECT_EQ(identityOf(path), before) << "replaced, or its group or mode changed";
    EXPECT_EQ(dir.entries(), Names{"Tintora.ini"});
}

// A link whose text passes through a link to a folder: that link counts as
// one on the way, and somebody else's there is not followed either.
TEST(SettingsLinks, linksToFoldersOnTheWayCount)
{
    for (const Owner folderLink : {Owner::User, Owner::Nobody}) {
        const bool followed = folderLink == Owner::User;
        SCOPED_TRACE(followed ? "the user's link to the folder" : "somebody else's link to the folder");
        if (!followed && ::geteuid() != 0) continue; // only root can make a link of nobody's
        TempDir root{"tintora-links"};
        ASSERT_FALSE(root.path().empty());
        ASSERT_EQ(::mkdir(root.file("files").c_str(), 0755), 0);
        const std::string target = root.file("files/target.ini");
        ASSERT_TRUE(writeBytes(target, "[A]\nx=1\n"));
        ASSERT_EQ(::symlink("files", root.file("folder").c_str()), 0);
        ASSERT_TRUE(giveTo(root.file("folder"), folderLink));
        const std::string path = root.file("Tintora.ini");
        ASSERT_EQ(::symlink("folder/target.ini", path.c_str()), 0);

        std::string error;
        EXPECT_EQ(replaceFile(path, "[A]\nx=2\n", error), followed) << error;
        EXPECT_EQ(readBytes(target), followed ? "[A]\nx=2\n" : "[A]\nx=1\n");
        if (!followed) {
            EXPECT_NE(error.find(root.file("folder")), std::string::npos) << error;
        }
    }
}
