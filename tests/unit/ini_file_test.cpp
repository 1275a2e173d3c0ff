#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "settings/ini_file.h"
#include "settings/ini_storage.h"
#include "support/processes.h"

using namespace tintora;
using tintora::test::TempDir;

namespace {

// The keys the program saves, in its order, with one set of values.
void setTheSixKeys(IniDocument& doc)
{
    doc.setValue("GENERAL", "onTop", "0");
    doc.setValue("GENERAL", "HexMode", "0");
    doc.setValue("GENERAL", "DecMode", "1");
    doc.setValue("MAGNIFIER", "ShowMag", "0");
    doc.setValue("MAGNIFIER", "Zoom", "0,5");
    doc.setValue("MAGNIFIER", "SlowMouse", "1");
}

} // namespace

TEST(IniRead, namesValuesAndWhatDoesNotCount)
{
    const IniDocument doc = IniDocument::parse("onTop=7\n" // above any section
                                               "[ General ]\r\n"
                                               "; onTop=5\r\n"
                                               "# HexMode=5\n"
                                               "ONTOP =\t 2 \r\n"
                                               "HexMode=\"0x1\"\n"
                                               "DecMode='1'\n"
                                               "Twice=\"\"x\"\"\n"
                                               "Unpaired=\"abc\n"
                                               "Mismatched=\"abc'\n"
                                               "Lone=\"\n"
                                               "Inside=\" 8 \"\n"
                                               "Equals=a=b\n"
                                               "NoEquals\n"
                                               "Blanks=   \r\n"
                                               "onTop=3\n"
                                               "\n"
                                               "[magnifier]\n"
                                               "Zoom=2,5\n"
                                               "[MAGNIFIER]\n"
                                               "Zoom=9\n"
                                               "SlowMouse=1\n"
                                               "[Last]\n"
                                               "NoEnd = x ");
    const struct {
        const char* section;
        const char* key;
        const char* value;
    } cases[] = {
        {"GENERAL", "onTop", "2"},           {"general", "OnToP", "2"},
        {"GENERAL", "HexMode", "0x1"},       {"GENERAL", "DecMode", "1"},
        {"GENERAL", "Twice", "\"x\""},       {"GENERAL", "Unpaired", "\"abc"},
        {"GENERAL", "Mismatched", "\"abc'"}, {"GENERAL", "Lone", "\""},
        {"GENERAL", "Inside", " 8 "},        {"GENERAL", "Equals", "a=b"},
        {"GENERAL", "NoEquals", ""},         {"GENERAL", "Blanks", ""},
        {"GENERAL", "Missing", ""},          {"Nowhere", "onTop", ""},
        // Only the first section of a name counts.
        {"MAGNIFIER", "Zoom", "2,5"},        {"MAGNIFIER", "SlowMouse", ""},
        {"last", "noend", "x"},
    };
    for (const auto& c : cases) EXPECT_EQ(doc.value(c.section, c.key), c.value) << c.section << "/" << c.key;
}

TEST(IniWrite, sixKeysIntoAMissingFile)
{
    const std::string expected = "[GENERAL]\n"
                                 "onTop=0\n"
                                 "HexMode=0\n"
                                 "DecMode=1\n"
                                 "\n"
                                 "[MAGNIFIER]\n"
                                 "ShowMag=0\n"
                                 "Zoom=0,5\n"
                                 "SlowMouse=1\n";
    IniDocument fresh;
    setTheSixKeys(fresh);
    EXPECT_EQ(fresh.text(), expected);

    IniDocument empty = IniDocument::parse("");
    setTheSixKeys(empty);
    EXPECT_EQ(empty.text(), expected);
}

TEST(IniWrite, sixKeysKeepEveryOtherByte)
{
    IniDocument doc = IniDocument::parse("\xEF\xBB\xBF; Tintora\r\n"
                                         "\r\n"
                                         "[general]\r\n"
                                         "OnTop = \"1\"   \r\n"
                                         "; readouts\r\n"
                                         "HEXMODE=1\r\n"
                                         "\r\n"
                                         "; the magnifier\r\n"
                                         "[Magnifier]\r\n"
                                         "showmag=1\r\n"
                                         "Extra=keep me\r\n"
                                         "\r\n"
                                         "[Other]\r\n"
                                         "Colour=#FF8000");
    setTheSixKeys(doc);
    EXPECT_EQ(doc.text(), "\xEF\xBB\xBF; Tintora\r\n"
                          "\r\n"
                          "[general]\r\n"
                          "OnTop = 0   \r\n"
                          "; readouts\r\n"
                          "HEXMODE=0\r\n"
                          "DecMode=1\r\n"
                          "\r\n"
                          "; the magnifier\r\n"
                          "[Magnifier]\r\n"
                          "showmag=0\r\n"
                          "Extra=keep me\r\n"
                          "Zoom=0,5\r\n"
                          "SlowMouse=1\r\n"
                          "\r\n"
                          "[Other]\r\n"
                          "Colour=#FF8000");
    EXPECT_EQ(doc.value("GENERAL", "onTop"), "0");
    EXPECT_EQ(doc.value("MAGNIFIER", "Zoom"), "0,5");
}

TEST(IniWrite, placementAndLineEnds)
{
    const struct {
        const char* name;
        const char* before;
        const char* section;
        const char* key;
        const char* after;
    } cases[] = {
        {"value replaced, blanks kept", "[A]\nx = \"old\"  \n", "A", "x", "[A]\nx = v  \n"},
        {"empty value", "[A]\nx=\n", "A", "x", "[A]\nx=v\n"},
        {"blank value", "[A]\nx=   \r\n", "A", "x", "[A]\nx=v   \r\n"},
        {"first of two keys", "[A]\nx=1\nX=2\n", "A", "x", "[A]\nx=v\nX=2\n"},
        {"commented key is not the key", "[A]\n;x=1\n", "A", "x", "[A]\n;x=1\nx=v\n"},
        {"key above the first section is not the key", "x=1\n[A]\n", "A", "x", "x=1\n[A]\nx=v\n"},
        {"new key before blank lines", "[A]\ny=1\n\n\n[B]\n", "A", "x", "[A]\ny=1\nx=v\n\n\n[B]\n"},
        {"comment above the next header stays with it", "[A]\ny=1\n\n; B\n# too\n[B]\n", "A", "x",
         "[A]\ny=1\nx=v\n\n; B\n# too\n[B]\n"},
        {"comment ending the section stays in it", "[A]\ny=1\n; on y\n\n[B]\n", "A", "x",
         "[A]\ny=1\n; on y\nx=v\n\n[B]\n"},
        {"comment at the end of the file stays in the section", "[A]\ny=1\n; end\n", "A", "x",
         "[A]\ny=1\n; end\nx=v\n"},
        {"empty section", "[A]\n[B]\n", "A", "x", "[A]\nx=v\n[B]\n"},
        {"first of two sections", "[A]\ny=1\n[a]\nx=2\n", "A", "x", "[A]\ny=1\nx=v\n[a]\nx=2\n"},
        {"last line without a line end", "[A]\ny=1", "A", "x", "[A]\ny=1\nx=v"},
        {"header alone without a line end", "[A]", "A", "x", "[A]\nx=v"},
        {"new section after a blank line", "[A]\ny=1\n", "B", "x", "[A]\ny=1\n\n[B]\nx=v\n"},
        {"file already ends with a blank line", "[A]\ny=1\n \n", "B", "x", "[A]\ny=1\n \n[B]\nx=v\n"},
        {"new section, no line end at the end", "[A]\ny=1", "B", "x", "[A]\ny=1\n\n[B]\nx=v"},
        {"comment only", "; c\r\n", "B", "x", "; c\r\n\r\n[B]\r\nx=v\r\n"},
        {"byte order mark only", "\xEF\xBB\xBF", "B", "x", "\xEF\xBB\xBF[B]\nx=v\n"},
        {"more CRLF than LF", "[A]\r\ny=1\n[B]\r\n", "A", "x", "[A]\r\ny=1\nx=v\r\n[B]\r\n"},
        {"more LF than CRLF", "[A]\r\ny=1\n[B]\n", "A", "x", "[A]\r\ny=1\nx=v\n[B]\n"},
        {"as many CRLF as LF", "[A]\r\ny=1\n", "A", "x", "[A]\r\ny=1\nx=v\n"},
        {"lone CR is no line end", "[A]\ry=1\n", "A", "x", "[A]\ry=1\nx=v\n"},
        {"CR ending the last line becomes a CRLF", "; c\r", "B", "x", "; c\r\n\r\n[B]\r\nx=v"},
    };
    for (const auto& c : cases) {
        IniDocument doc = IniDocument::parse(c.before);
        doc.setValue(c.section, c.key, "v");
        EXPECT_EQ(doc.text(), c.after) << c.name;
        EXPECT_EQ(doc.value(c.section, c.key), "v") << c.name;
    }
}

TEST(IniWrite, severalKeysLikeTheFileReadAgain)
{
    // Each save sets several keys in one document: after the first, a new
    // line must take the line end a fresh read of the file would give it.
    const struct {
        const char* name;
        const char* before;
        const char* key;
        const char* value;
        const char* after; // and then w=v
    } cases[] = {
        // The last line's CR and the LF added to it make a CRLF line, which
        // tips the count towards CRLF.
        {"CR ending the last line", "[A]\r\ny=1\nz\r", "x", "v", "[A]\r\ny=1\nz\r\nx=v\r\nw=v"},
        {"CRLF file cut after its CR", "[A]\r\ny=1\r", "x", "v", "[A]\r\ny=1\r\r\nx=v\r\nw=v"},
        // Likewise a value emptied behind a CR.
        {"CR left before the LF", "[A]\r\nx= \ry\n", "x", "", "[A]\r\nx= \r\nw=v\r\n"},
    };
    for (const auto& c : cases) {
        IniDocument doc = IniDocument::parse(c.before);
        doc.setValue("A", c.key, c.value);
        IniDocument reread = IniDocument::parse(doc.text());
        doc.setValue("A", "w", "v");
        reread.setValue("A", "w", "v");
        EXPECT_EQ(doc.text(), c.after) << c.name;
        EXPECT_EQ(reread.text(), c.after) << c.name;
    }
}

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
