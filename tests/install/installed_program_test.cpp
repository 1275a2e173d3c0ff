// The program as `cmake --install` lays it out: every file in its place, the
// desktop entry, metadata and manual page valid and in agreement with each
// other and with the program, and the installed binary running on a private
// Xvfb with its settings kept in the user's configuration directory.

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/processes.h"
#include "support/xvfb.h"

using namespace tintora::test;
namespace fs = std::filesystem;

namespace {

constexpr const char* AppId = APP_ID;
constexpr auto ToolTimeout = 60000ms;
// Generous: the machine may be busy building while the tests run.
constexpr auto StartTimeout = 20000ms;
constexpr auto ExitTimeout = 10000ms;
const int IconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// What a finished child process did.
struct Outcome {
    std::optional<int> status; // the exit status; nothing when it did not end normally in time
    std::string output;
    std::string errors;
};

// Runs program with args to its end; environment changes as for
// environmentWith.
Outcome run(const std::string& program, const std::vector<std::string>& args,
            const std::map<std::string, std::optional<std::string>>& changes = {})
{
    TempFile output, errors;
    ChildProcess child(program, args, environmentWith(changes), errors.path(), output.path());
    Outcome outcome;
    if (!child.pid()) {
        outcome.errors = child.error();
        return outcome;
    }
    const auto status = child.waitForExit(ToolTimeout);
    if (status && WIFEXITED(*status)) outcome.status = WEXITSTATUS(*status);
    outcome.output = output.contents();
    outcome.errors = errors.contents();
    return outcome;
}

// The keys of the [Desktop Entry] group.
std::map<std::string, std::string> desktopEntry(const std::string& text)
{
    std::map<std::string, std::string> keys;
    std::istringstream lines(text);
    std::string line;
    bool inGroup = false;
    while (std::getline(lines, line)) {
        if (line.starts_with('[')) {
            inGroup = line == "[Desktop Entry]";
            continue;
        }
        const auto eq = line.find('=');
        if (inGroup && eq != std::string::npos) keys[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return keys;
}

// The text between "<tag ...>" and "</tag>" of the first such element, or
// the value of attribute in its opening tag when attribute is given.
std::string xmlFirst(const std::string& xml, const std::string& tag, const std::string& attribute = {})
{
    auto open = xml.find("<" + tag);
    // Not a longer name that begins with tag ("<releases>" for "release").
    while (open != std::string::npos && std::string(" >/").find(xml[open + 1 + tag.size()]) == std::string::npos)
        open = xml.find("<" + tag, open + 1);
    if (open == std::string::npos) return {};
    const auto close = xml.find('>', open);
    if (close == std::string::npos) return {};
    if (!attribute.empty()) {
        const std::string opening = xml.substr(open, close - open);
        const auto at = opening.find(" " + attribute + "=\"");
        if (at == std::string::npos) return {};
        const auto from = at + attribute.size() + 3;
        return opening.substr(from, opening.find('"', from) - from);
    }
    const auto end = xml.find("</" + tag + ">", close);
    return end == std::string::npos ? std::string() : xml.substr(close + 1, end - close - 1);
}

// Width and height from a PNG's header chunk; nothing when it is no PNG.
std::optional<std::pair<int, int>> pngSize(const std::string& bytes)
{
    static const std::string Signature("\x89PNG\r\n\x1a\n", 8);
    if (bytes.size() < 24 || bytes.compare(0, 8, Signature) != 0 || bytes.compare(12, 4, "IHDR") != 0)
        return std::nullopt;
    auto word = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
        return static_cast<int>(v);
    };
    return std::make_pair(word(16), word(20));
}

// The options the usage lists: the first word of each line that starts with
// blanks and a dash.
std::vector<std::string> optionsListed(const std::string& usage)
{
    std::vector<std::string> options;
    std::istringstream lines(usage);
    std::string line;
    while (std::getline(lines, line)) {
        const auto first = line.find_first_not_of(' ');
        if (first == 0 || first == std::string::npos || line[first] != '-') continue;
        options.push_back(line.substr(first, line.find(' ', first) - first));
    }
    return options;
}

// The tag lines of a manual page's entries: each line after a ".TP".
std::vector<std::string> manualEntries(const std::string& man)
{
    std::vector<std::string> tags;
    std::istringstream lines(man);
    std::string line, previous;
    while (std::getline(lines, line)) {
        if (previous == ".TP") tags.push_back(line);
        previous = line;
    }
    return tags;
}

// One installation for all the tests of the suite.
class Installed : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_root = std::make_unique<TempDir>("tintora-install");
        if (s_root->path().empty()) {
            s_error = "no temporary directory";
            return;
        }
        const Outcome installed =
            run(CMAKE_COMMAND, {"--install", BUILD_DIR, "--prefix", prefix()});
        if (installed.status != 0) s_error = "cmake --install failed:\n" + installed.output + installed.errors;
    }
    static void TearDownTestSuite() { s_root.reset(); }

    void SetUp() override { ASSERT_TRUE(s_error.empty()) << s_error; }

    static std::string prefix() { return s_root->path() + "/prefix"; }
    static std::string file(const std::string& relative) { return prefix() + "/" + relative; }
    static std::string binary() { return file("bin/tintora"); }
    static std::string desktopFile() { return file("share/applications/" + std::string(AppId) + ".desktop"); }
    static std::string metainfoFile() { return file("share/metainfo/" + std::string(AppId) + ".metainfo.xml"); }
    static std::string manPage() { return file("share/man/man1/tintora.1"); }

    static inline std::unique_ptr<TempDir> s_root;
    static inline std::string s_error;
};

TEST_F(Installed, everyFileInItsPlace)
{
    struct stat st {};
    ASSERT_EQ(::stat(binary().c_str(), &st), 0) << binary();
    EXPECT_TRUE(S_ISREG(st.st_mode) && (st.st_mode & 0111) == 0111) << "bin/tintora is no program for everyone";

    const std::string icons = "share/icons/hicolor/";
    for (const std::string& relative : {"share/applications/" + std::string(AppId) + ".desktop",
                                        "share/metainfo/" + std::string(AppId) + ".metainfo.xml",
                                        icons + "scalable/apps/" + AppId + ".svg", std::string("share/man/man1/tintora.1"),
                                        std::string("share/doc/tintora/LICENSE")}) {
        EXPECT_TRUE(fs::is_regular_file(file(relative))) << relative;
        EXPECT_GT(readAll(file(relative)).size(), 0u) << relative;
    }
    EXPECT_NE(readAll(file(icons + "scalable/apps/" + AppId + ".svg")).find("<svg"), std::string::npos);

    // Each PNG has the size its folder names.
    for (const int size : IconSizes) {
        const std::string name = std::to_string(size) + "x" + std::to_string(size);
        const auto png = pngSize(readAll(file(icons + name + "/apps/" + AppId + ".png")));
        ASSERT_TRUE(png) << name << ": no PNG";
        EXPECT_EQ(*png, std::make_pair(size, size)) << name;
    }
}

TEST_F(Installed, desktopEntryMetadataAndManualPageValidate)
{
    const struct {
        const char* tool;
        std::vector<std::string> args;
    } checks[] = {
        {"desktop-file-validate", {desktopFile()}},
        {"appstreamcli", {"validate", "--no-net", "--no-color", metainfoFile()}},
        // Warnings of every kind, output thrown away: any message is a fault.
        {"groff", {"-man", "-ww", "-z", "-t", manPage()}},
    };
    for (const auto& check : checks) {
        const Outcome outcome = run(check.tool, check.args);
        EXPECT_EQ(outcome.status, 0) << check.tool << ":\n" << outcome.output << outcome.errors;
        if (std::string(check.tool) == "groff") {
            EXPECT_EQ(outcome.errors, "") << "groff warns";
        }
    }
}

TEST_F(Installed, desktopEntryAndMetadataPointAtTheInstalledFiles)
{
    const auto entry = desktopEntry(readAll(desktopFile()));
    EXPECT_EQ(entry.count("Exec") ? entry.at("Exec") : "", "tintora");
    EXPECT_TRUE(fs::is_regular_file(file("bin/" + (entry.count("Exec") ? entry.at("Exec") : "?"))));
    EXPECT_EQ(entry.count("Icon") ? entry.at("Icon") : "", AppId);
    EXPECT_EQ(entry.count("Categories") ? entry.at("Categories") : "", "Graphics;Utility;");
    EXPECT_NE(entry.count("Terminal") ? entry.at("Terminal") : "", "true");

    const std::string metainfo = readAll(metainfoFile());
    EXPECT_EQ(xmlFirst(metainfo, "id"), AppId);
    EXPECT_EQ(xmlFirst(metainfo, "launchable"), fs::path(desktopFile()).filename().string());
    EXPECT_EQ(xmlFirst(metainfo, "project_license"), "MIT");
    EXPECT_NE(xmlFirst(metainfo, "content_rating", "type"), "");
    EXPECT_NE(xmlFirst(metainfo, "image"), "");
}

TEST_F(Installed, versionAndUsageWithoutDisplayAgreeWithMetadataAndManualPage)
{
    const std::map<std::string, std::optional<std::string>> noDisplay{
        {"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}, {"XDG_SESSION_TYPE", std::nullopt}};

    const Outcome version = run(binary(), {"--version"}, noDisplay);
    EXPECT_EQ(version.status, 0) << version.errors;
    EXPECT_EQ(version.errors, "");
    // The newest release the metadata records is this one.
    const std::string released = xmlFirst(readAll(metainfoFile()), "release", "version");
    EXPECT_EQ(version.output, "Tintora " + released + "\n");

    // An answer that cannot be written is a failure, not a silent success.
    ChildProcess toFullDisk(binary(), {"--version"}, environmentWith(noDisplay), {}, "/dev/full");
    ASSERT_TRUE(toFullDisk.pid()) << toFullDisk.error();
    const auto fullDiskStatus = toFullDisk.waitForExit(ToolTimeout);
    ASSERT_TRUE(fullDiskStatus);
    EXPECT_TRUE(WIFEXITED(*fullDiskStatus) && WEXITSTATUS(*fullDiskStatus) != 0) << "status " << *fullDiskStatus;

    const Outcome help = run(binary(), {"--help"}, noDisplay);
    EXPECT_EQ(help.status, 0) << help.errors;
    EXPECT_EQ(help.errors, "");
    const std::vector<std::string> options = optionsListed(help.output);
    for (const char* known : {"-x", "-y", "--help", "--version"})
        EXPECT_NE(std::find(options.begin(), options.end(), known), options.end()) << known << " missing:\n" << help.output;
    // The manual page has an entry for every option the usage lists.
    const auto entries = manualEntries(readAll(manPage()));
    for (const std::string& option : options) {
        std::string escaped;
        for (const char c : option) escaped += c == '-' ? std::string("\\-") : std::string(1, c);
        const bool described = std::any_of(entries.begin(), entries.end(), [&](const std::string& line) {
            const auto at = line.find(escaped);
            return at != std::string::npos && (at + escaped.size() == line.size() || line[at + escaped.size()] == ' ');
        });
        EXPECT_TRUE(described) << option << " has no entry in the manual page";
    }
}

TEST_F(Installed, runsOnXvfbAndKeepsItsSettingsWithTheUser)
{
    Xvfb server;
    ASSERT_TRUE(server.running()) << server.error();
    for (const char* dir : {"config", "runtime", "home"}) fs::create_directory(s_root->path() + "/" + dir);
    fs::permissions(s_root->path() + "/runtime", fs::perms::owner_all, fs::perm_options::replace);
    // As /usr/bin is for a user: a folder that cannot be written.
    const std::string bin = prefix() + "/bin";
    fs::permissions(bin, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                             fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec,
                    fs::perm_options::replace);

    TempFile errors;
    ChildProcess program(binary(), {},
                         environmentWith({{"DISPLAY", server.displayName()},
                                          {"WAYLAND_DISPLAY", std::nullopt},
                                          {"XDG_SESSION_TYPE", std::nullopt},
                                          {"XDG_CONFIG_HOME", s_root->path() + "/config"},
                                          {"XDG_RUNTIME_DIR", s_root->path() + "/runtime"},
                                          {"HOME", s_root->path() + "/home"}}),
                         errors.path());
    ASSERT_TRUE(program.pid()) << program.error();
    const auto window = server.waitForTopLevel("Tintora", StartTimeout);
    ASSERT_TRUE(window) << "no window; stderr: " << errors.contents();

    // The desktop entry's StartupWMClass is what the window reports, so that
    // task bars group the window with its menu entry and icon.
    XClassHint hint{};
    ASSERT_NE(XGetClassHint(server.display(), window->id, &hint), 0) << "no WM_CLASS";
    const std::string wmClass = hint.res_class ? hint.res_class : "";
    if (hint.res_name) XFree(hint.res_name);
    if (hint.res_class) XFree(hint.res_class);
    const auto entry = desktopEntry(readAll(desktopFile()));
    EXPECT_EQ(entry.count("StartupWMClass") ? entry.at("StartupWMClass") : "", wmClass);

    ASSERT_TRUE(program.signal(SIGTERM));
    const auto status = program.waitForExit(ExitTimeout);
    ASSERT_TRUE(status) << "still running after SIGTERM";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "status " << *status << "; " << errors.contents();

    const std::string settings = readAll(s_root->path() + "/config/tintora/Tintora.ini");
    EXPECT_NE(settings.find("[GENERAL]"), std::string::npos) << "settings not in $XDG_CONFIG_HOME/tintora";
    std::vector<std::string> inBin;
    for (const auto& entry : fs::directory_iterator(bin)) inBin.push_back(entry.path().filename().string());
    EXPECT_EQ(inBin, std::vector<std::string>{"tintora"});
}

} // namespace
