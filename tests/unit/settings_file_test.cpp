#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"
#include "settings/settings_file.h"
#include "settings/settings_keys.h"
#include "support/processes.h"

using namespace tintora;
using tintora::test::TempDir;

namespace {

void put(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string get(const std::string& path)
{
    std::ostringstream out;
    out << std::ifstream(path, std::ios::binary).rdbuf();
    return out.str();
}

ino_t inodeOf(const std::string& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_ino;
}

const std::string Saved = "[GENERAL]\nonTop=0\nHexMode=1\nDecMode=0\n\n[MAGNIFIER]\nShowMag=0\nZoom=0,5\nSlowMouse=1\n";

StoredOptions savedOptions()
{
    StoredOptions options;
    options.hexadecimal = true;
    options.zoom = 0.5;
    options.slowPointer = true;
    return options;
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    text.replace(text.find(from), from.size(), to);
    return text;
}

} // namespace

// The close writes every key with the program's value, but for keys the user
// edited or deleted on disk while the program ran and whose option the run
// left alone: those stay as the user wrote them.
TEST(SettingsFile, closeKeepsWhatTheUserEditedMeanwhile)
{
    const std::string start =
        "[GENERAL]\nonTop=0\nHexMode=0\nDecMode=0\n\n[MAGNIFIER]\nShowMag=0\nZoom=0,5\nSlowMouse=0\n";
    const std::string withoutSlowMouse = replaced(start, "SlowMouse=0\n", "");
    const std::function<void(StoredOptions&)> none = [](StoredOptions&) {};
    const struct {
        const char* what;
        std::string atStart;
        std::string onDisk; // at the close
        std::function<void(StoredOptions&)> change;
        std::string saved;
    } cases[] = {
        {"edited on disk, not in the program: the user's value", start, replaced(start, "HexMode=0", "HexMode=1"), none,
         replaced(start, "HexMode=0", "HexMode=1")},
        {"changed in the program: its value, in the locale's spelling", start, start,
         [](StoredOptions& o) { o.zoom = 2.5; }, replaced(start, "Zoom=0,5", "Zoom=2,5")},
        {"changed on disk and in the program: the program's, the later", start, replaced(start, "Zoom=0,5", "Zoom=4"),
         [](StoredOptions& o) { o.zoom = 2.5; }, replaced(start, "Zoom=0,5", "Zoom=2,5")},
        {"deleted on disk, not changed in the program: stays deleted", start, withoutSlowMouse, none,
         withoutSlowMouse},
        {"deleted on disk, changed in the program: written again", start, withoutSlowMouse,
         [](StoredOptions& o) { o.slowPointer = true; }, withoutSlowMouse + "SlowMouse=1\n"},
        {"missing at the start and at the close: added", withoutSlowMouse, withoutSlowMouse, none, start},
        {"missing at the start, added on disk: the user's value", withoutSlowMouse, withoutSlowMouse + "SlowMouse=1\n",
         none, withoutSlowMouse + "SlowMouse=1\n"},
        {"untouched on disk, not read (the other separator): the value in use", replaced(start, "Zoom=0,5", "Zoom=1.5"),
         replaced(start, "Zoom=0,5", "Zoom=1.5"), none, replaced(start, "Zoom=0,5", "Zoom=2")},
        {"untouched on disk, spelled otherwise: the program's spelling", replaced(start, "onTop=0", "onTop=$0"),
         replaced(start, "onTop=0", "onTop=$0"), none, start},
        {"the LUT window shown in a file from before it: its key added", start, start,
         [](StoredOptions& o) { o.lutCurvesShown = true; }, start + "\n[LUT]\nShowCurves=1\n"},
    };
    for (const auto& c : cases) {
        TempDir dir{"tintora-settings"};
        ASSERT_FALSE(dir.path().empty());
        const std::string path = dir.file("Tintora.ini");
        const IniDocument loaded = IniDocument::parse(c.atStart);
        StoredOptions options = readStoredOptions(loaded, ",");
        c.change(options);
        put(path, c.onDisk);
        std::string error;
        const SaveOutcome expected = c.saved == c.onDisk ? SaveOutcome::Unchanged : SaveOutcome::Written;
        EXPECT_EQ(saveSettingsFile(path, loaded, options, ",", error), expected) << c.what << ": " << error;
        EXPECT_EQ(get(path), c.saved) << c.what;
    }
}

// The file is written once, whole, and only when a value differs from it.
TEST(SettingsFile, writtenOnlyWhenAValueChanges)
{
    TempDir dir{"tintora-settings"};
    ASSERT_FALSE(dir.path().empty());
    const std::string path = dir.file("Tintora.ini");
    std::string error;

    EXPECT_EQ(saveSettingsFile(path, IniDocument(), savedOptions(), ",", error), SaveOutcome::Written) << error;
    EXPECT_EQ(get(path), Saved);

    const ino_t first = inodeOf(path);
    EXPECT_EQ(saveSettingsFile(path, IniDocument(), savedOptions(), ",", error), SaveOutcome::Unchanged) << error;
    EXPECT_EQ(inodeOf(path), first);

    // Pinned by the user: the same values are no error, other values are.
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_EQ(saveSettingsFile(path, IniDocument(), savedOptions(), ",", error), SaveOutcome::Unchanged) << error;
    StoredOptions changed = savedOptions();
    changed.fractions = true;
    error.clear();
    EXPECT_EQ(saveSettingsFile(path, IniDocument(), changed, ",", error), SaveOutcome::Failed);
    EXPECT_NE(error, "");
    EXPECT_EQ(get(path), Saved);
    EXPECT_EQ(dir.entries().size(), 1u);
}

// What cannot be read is not written over, however its values compare.
TEST(SettingsFile, fileThatCannotBeReadIsNotWrittenOver)
{
    TempDir dir{"tintora-settings"};
    ASSERT_FALSE(dir.path().empty());
    const std::string path = dir.file("Tintora.ini");
    const std::string huge = Saved + ";" + std::string(kMaxSettingsFileBytes, 'x') + "\n";
    put(path, huge);
    std::string error;
    EXPECT_EQ(saveSettingsFile(path, IniDocument(), savedOptions(), ",", error), SaveOutcome::Failed);
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_TRUE(get(path) == huge) << "written over";
    EXPECT_FALSE(readSettingsFile(path, error).has_value());
}

// Links the program does not follow leave the file alone, which the save
// tells apart from a failure (the start has said why already): a link to
// nothing, where the save would make a file wherever it points, and a link
// somebody else made (only root can make one of nobody's).
TEST(SettingsFile, linksThatAreNotFollowedLeaveTheFileAlone)
{
    const struct {
        const char* what;
        bool nobodysLink;
    } cases[] = {{"a link to nothing", false}, {"somebody else's link", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.nobodysLink && ::geteuid() != 0) continue;
        TempDir dir{"tintora-settings"};
        ASSERT_FALSE(dir.path().empty());
        const std::string path = dir.file("Tintora.ini");
        const std::string target = dir.file("target.ini");
        if (c.nobodysLink) put(target, "[GENERAL]\nHexMode=0\n");
        ASSERT_EQ(::symlink(target.c_str(), path.c_str()), 0);
        if (c.nobodysLink) {
            ASSERT_EQ(::lchown(path.c_str(), 65534, 65534), 0);
        }
        const auto before = dir.entries();
        std::string error;
        EXPECT_EQ(saveSettingsFile(path, IniDocument(), savedOptions(), ",", error), SaveOutcome::LeftAlone);
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_EQ(dir.entries(), before);
        if (c.nobodysLink) {
            EXPECT_EQ(get(target), "[GENERAL]\nHexMode=0\n");
        }
        error.clear();
        EXPECT_FALSE(readSettingsFile(path, error).has_value());
        EXPECT_NE(error, "");
    }
}

// A UTF-16 file is updated in UTF-16; whether anything changed is judged on
// what the file holds, not on a UTF-8 copy of it.
TEST(SettingsFile, utf16FileKeepsItsEncoding)
{
    TempDir dir{"tintora-settings"};
    ASSERT_FALSE(dir.path().empty());
    const std::string path = dir.file("Tintora.ini");
    std::string utf16 = "\xFF\xFE";
    for (const char c : Saved) utf16 += std::string{c, '\0'};
    put(path, utf16);
    std::string error;
    const auto read = readSettingsFile(path, error);
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(read->ini.value("MAGNIFIER", "Zoom"), "0,5");
    EXPECT_EQ(saveSettingsFile(path, read->ini, savedOptions(), ",", error), SaveOutcome::Unchanged) << error;
    StoredOptions changed = savedOptions();
    changed.zoom = 8;
    EXPECT_EQ(saveSettingsFile(path, read->ini, changed, ",", error), SaveOutcome::Written) << error;
    const std::string after = get(path);
    std::string expected = "\xFF\xFE";
    std::string text = Saved;
    text.replace(text.find("0,5"), 3, "8");
    for (const char c : text) expected += std::string{c, '\0'};
    EXPECT_EQ(after, expected);
}
