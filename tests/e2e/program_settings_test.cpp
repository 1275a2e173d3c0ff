// The real program and its settings file beside the executable, on a private
// Xvfb: what a file brings at the start (the magnifier, its zoom, the slow
// pointer), what the close writes back, a close that cannot write, and the
// endings nobody asked for: the program killed, the X server gone.

#include <gtest/gtest.h>
#include <csignal>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/printers.h"
#include "support/program_fixture.h"

using namespace tintora;
using namespace tintora::test;

namespace {

constexpr int MagnifierSize = 203;

// The lines of one section, from its header to the next one.
std::vector<std::string> sectionLines(const std::string& text, const std::string& header)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    bool inside = false;
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("[")) inside = line == header;
        else if (inside) lines.push_back(line);
    }
    return lines;
}

bool contains(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class ProgramSettings : public ProgramFixture {
protected:
    // Starts the program with args and waits until its main window has the focus.
    void start(const std::vector<std::string>& args = {})
    {
        m_program.emplace(m_server, m_directory, args);
        std::string why;
        m_window = m_program->waitUntilReady(why);
        ASSERT_TRUE(m_window) << why;
    }

    std::optional<RunningProgram> m_program;
    std::optional<TopLevel> m_window;
};

// A 3 x 3 grid of 9-pixel squares centred on the pointer: at zoom 8 the
// magnifier's source block is exactly the grid (27 x 27 pixels, about 7.44
// picture pixels each), so the 201 x 201 picture shows each square over
// about 67 x 67 pixels.
constexpr int Cell = 9;
const std::array<std::array<Colour, 3>, 3> Pattern{{
    {{{30, 144, 255}, {50, 205, 50}, {255, 215, 0}}},
    {{{148, 0, 211}, {0, 206, 209}, {255, 105, 180}}},
    {{{139, 69, 19}, {128, 128, 0}, {70, 130, 180}}},
}};
// Picture points well inside each square and off the crosshair, by column
// and by row.
constexpr std::array<int, 3> Columns{30, 120, 170};
constexpr std::array<int, 3> Rows{35, 118, 170};

const std::string FileBefore = "; kept by hand\n"
                               "[MAGNIFIER]\n"
                               "ShowMag=1\n"
                               "Zoom=8\n"
                               "\n"
                               "[Palette]\n"
                               "  Favourite = \"C86400\"  \n"
                               "; not the program's\n"
                               "Zoom=3\n";
const std::string ForeignSection = "[Palette]\n"
                                   "  Favourite = \"C86400\"  \n"
                                   "; not the program's\n"
                                   "Zoom=3\n";

// The magnifier's picture in a screenshot of the magnifier window: the
// picture lies inside a 1-pixel frame.
Colour picture(const Screenshot& shot, Point p) { return shot.at({p.x + 1, p.y + 1}); }

bool near(std::uint8_t value, int expected) { return value >= expected - 2 && value <= expected + 2; }

TEST_F(ProgramSettings, magnifierFromTheFileShowsThePatternAndTheZoomIsSavedInPlace)
{
    const Point pointer{400, 800};
    std::vector<std::unique_ptr<SolidWindow>> squares;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            const Rect rect{pointer.x - 13 + c * Cell, pointer.y - 13 + r * Cell, Cell, Cell};
            squares.push_back(std::make_unique<SolidWindow>(m_server, rect, Pattern[r][c]));
            ASSERT_TRUE(squares.back()->shown());
        }
    ASSERT_TRUE(m_server.warpPointer(pointer));
    ASSERT_TRUE(m_directory.writeSettings(FileBefore));

    // Without arguments the main window is centred after the settings have
    // shown the magnifier; the magnifier follows it.
    ASSERT_NO_FATAL_FAILURE(start());
    const Rect main = m_window->rect;
    const Rect docked{main.x, main.y - MagnifierSize, MagnifierSize, MagnifierSize};
    const auto magnifier =
        m_server.waitForTopLevel("Magnifier", ProgramStartTimeout, [&](const TopLevel& t) { return t.rect == docked; });
    ASSERT_TRUE(magnifier) << "no magnifier";
    EXPECT_EQ(magnifier->rect, docked) << "main window at " << ::testing::PrintToString(main);

    struct Expected {
        Point at;
        Colour colour;
        const char* what;
    };
    std::vector<Expected> zoom8;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) zoom8.push_back({{Columns[c], Rows[r]}, Pattern[r][c], "square"});
    const Colour black{0, 0, 0}, red{255, 0, 0};
    for (const Point p : {Point{60, 100}, Point{140, 100}, Point{100, 60}, Point{100, 140}})
        zoom8.push_back({p, black, "crosshair"});
    zoom8.push_back({{100, 100}, red, "crosshair centre"});
    zoom8.push_back({{100, 160}, Pattern[2][1], "below the crosshair's end"});
    zoom8.push_back({{45, 118}, Pattern[1][0], "left square"});

    auto shows = [&](const std::vector<Expected>& expected) {
        std::optional<Screenshot> shot;
        const bool all = waitUntil(ProgramStartTimeout, [&] {
            shot = Screenshot::take(m_server, magnifier->rect);
            return shot && std::all_of(expected.begin(), expected.end(),
                                       [&](const Expected& e) { return picture(*shot, e.at) == e.colour; });
        });
        if (!all && shot) {
            for (const Expected& e : expected)
                EXPECT_EQ(picture(*shot, e.at), e.colour) << e.what << " at picture " << ::testing::PrintToString(e.at);
        }
        return shot;
    };
    const auto shot = shows(zoom8);
    ASSERT_TRUE(shot) << "no screenshot";

    // The top 17 rows are darkened to about half: the top-left square there.
    const Colour dark = shot->at({31, 8});
    const Colour square = Pattern[0][0];
    EXPECT_TRUE(near(dark.r, square.r / 2) && near(dark.g, square.g / 2) && near(dark.b, square.b / 2))
        << ::testing::PrintToString(dark) << " is not half of " << ::testing::PrintToString(square);
    // The white coordinates stand in the top right of the strip, nowhere else.
    auto whiteIn = [&](int left, int right) {
        for (int y = 1; y < 17; ++y)
            for (int x = left; x < right; ++x) {
                const Colour c = shot->at({x, y});
                if (c.r >= 200 && c.g >= 200 && c.b >= 200) return true;
            }
        return false;
    };
    EXPECT_TRUE(whiteIn(110, 202)) << "no coordinates in the top right";
    EXPECT_FALSE(whiteIn(2, 60));

    // Ctrl with the key that has plus on it: zoom 16, a 13 x 13 block, in
    // which the centre square covers the left square's old place.
    ASSERT_TRUE(m_keyboard.tap({"Control_L", "equal"}));
    shows({{{45, 118}, Pattern[1][1], "centre square, grown"}, {{100, 100}, red, "crosshair centre"}});

    ASSERT_TRUE(m_keyboard.tap({"i"}));
    EXPECT_EQ(exitCode(m_program->process().waitForExit(ProgramExitTimeout)), 0) << m_program->transcript();
    const auto after = m_directory.settings();
    ASSERT_TRUE(after);
    const auto magnifierSection = sectionLines(*after, "[MAGNIFIER]");
    EXPECT_TRUE(contains(magnifierSection, "Zoom=16")) << *after;
    EXPECT_TRUE(contains(magnifierSection, "ShowMag=1")) << *after;
    EXPECT_FALSE(contains(magnifierSection, "Zoom=8")) << *after;
    EXPECT_TRUE(after->starts_with("; kept by hand\n[MAGNIFIER]\n")) << *after;
    EXPECT_NE(after->find(ForeignSection), std::string::npos) << *after;
}

// The user edits the file in an editor while the program runs. The close
// writes what the program changed (the readouts made hexadecimal) and
// nothing else: the zoom the user typed, the key the user deleted and the
// comment the user added stay as the user left them.
TEST_F(ProgramSettings, editsMadeWhileTheProgramRunsSurviveTheClose)
{
    SolidWindow white(m_server, {300, 300, 100, 100}, {255, 255, 255});
    ASSERT_TRUE(white.shown() && m_server.warpPointer(white.centre()));
    ASSERT_TRUE(m_directory.writeSettings("[GENERAL]\nonTop=0\nHexMode=0\nDecMode=0\n\n"
                                          "[MAGNIFIER]\nShowMag=0\nZoom=2\nSlowMouse=0\n"));
    ASSERT_NO_FATAL_FAILURE(start({"-x", "100", "-y", "200"}));
    const std::string edited = "[GENERAL]\nonTop=0\nHexMode=0\nDecMode=0\n\n"
                               "[MAGNIFIER]\n; zoom 4 suits my screen\nShowMag=0\nZoom=4\n";
    ASSERT_TRUE(m_directory.writeSettings(edited));

    ASSERT_TRUE(m_keyboard.tap({"Control_L", "h"}));
    ASSERT_TRUE(m_program->traceShows("LUT FF (FFFF) FF (FFFF) FF (FFFF)")) << m_program->transcript();
    ASSERT_TRUE(m_keyboard.tap({"i"}));
    EXPECT_EQ(exitCode(m_program->process().waitForExit(ProgramExitTimeout)), 0) << m_program->transcript();
    const std::string saved = "[GENERAL]\nonTop=0\nHexMode=1\nDecMode=0\n\n"
                              "[MAGNIFIER]\n; zoom 4 suits my screen\nShowMag=0\nZoom=4\n";
    EXPECT_EQ(m_directory.settings(), saved);
}

// A program directory and a settings file without write bits: the close
// reports that it cannot save, and once the report is answered the program
// still ends normally, the pointer given back. Root is refused too: the
// program takes missing write bits for read-only whoever runs it.
TEST_F(ProgramSettings, closeThatCannotSaveReportsItAndStillEndsCleanly)
{
    const std::string text = "[MAGNIFIER]\nSlowMouse=1\n";
    ASSERT_TRUE(m_directory.writeSettings(text));
    ASSERT_EQ(::chmod(m_directory.settingsPath().c_str(), 0444), 0);
    ASSERT_EQ(::chmod(m_directory.programDir().c_str(), 0555), 0);
    ASSERT_TRUE(m_devices.setMatrix(m_mouse, OddMatrix));
    const auto before = m_devices.properties();

    ASSERT_NO_FATAL_FAILURE(start({"-x", "100", "-y", "200"}));
    ASSERT_EQ(waitForMatrix(m_mouse, SlowOddMatrix), SlowOddMatrix) << "SlowMouse=1 not applied";

    ASSERT_TRUE(m_keyboard.tap({"i"}));
    const auto box = m_program->waitForErrorBox(*m_window);
    ASSERT_TRUE(box) << "no error box; " << m_program->transcript();
    EXPECT_TRUE(m_program->process().running()) << "ended without waiting for an answer";

    ASSERT_TRUE(waitUntil(ProgramStartTimeout, [&] { return hasFocus(m_server, box->id); }))
        << "the error box has no keyboard focus";
    ASSERT_TRUE(m_keyboard.tap({"Return"}));
    EXPECT_EQ(exitCode(m_program->process().waitForExit(ProgramExitTimeout)), 0) << m_program->transcript();
    EXPECT_EQ(m_devices.properties(), before);
    EXPECT_EQ(m_directory.settings(), text);
    const std::vector<std::string> untouched{"Tintora.ini", "tintora"};
    EXPECT_EQ(ProgramDirectory::entries(m_directory.programDir()), untouched) << "a temporary file left behind";
    EXPECT_TRUE(ProgramDirectory::entries(m_directory.configDir()).empty()) << "saved somewhere else instead";
}

struct FileIdentity {
    dev_t device;
    ino_t inode;
    uid_t owner;
    gid_t group;
    mode_t mode;
    bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> identityOf(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
    return FileIdentity{st.st_dev, st.st_ino, st.st_uid, st.st_gid, static_cast<mode_t>(st.st_mode & 07777)};
}

std::string linkTextOf(const std::string& path)
{
    std::string text(4096, '\0');
    const ssize_t n = ::readlink(path.c_str(), text.data(), text.size());
    return n < 0 ? std::string() : text.substr(0, static_cast<std::size_t>(n));
}

// The lines of text that contain part.
std::vector<std::string> linesWith(const std::string& text, const std::string& part)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.find(part) != std::string::npos) lines.push_back(line);
    return lines;
}

// Somebody else (nobody) has put a link to root's file, in a folder nobody
// may not write, where the settings file goes, and root runs the program:
// it starts with the defaults (not the file's hexadecimal readouts), says
// once why, and the close, with a changed value to save, neither writes the
// file nor asks about it: the file keeps its bytes and its inode, and the
// link stays.
TEST_F(ProgramSettings, somebodyElsesLinkIsNeitherReadNorWritten)
{
    if (::geteuid() != 0) GTEST_SKIP() << "only root can plant a link of nobody's";
    TempDir victimDir{"tintora-victim"};
    ASSERT_FALSE(victimDir.path().empty());
    const std::string victim = victimDir.file("accounts");
    const std::string victimBytes = "[GENERAL]\nHexMode=1\nroot:x:0:0:root:/root:/bin/sh\n";
    {
        std::ofstream out(victim, std::ios::binary);
        out << victimBytes;
    }
    ASSERT_EQ(::chmod(victim.c_str(), 0644), 0);
    ASSERT_EQ(::symlink(victim.c_str(), m_directory.settingsPath().c_str()), 0);
    ASSERT_EQ(::lchown(m_directory.settingsPath().c_str(), 65534, 65534), 0);
    const auto before = identityOf(victim);
    ASSERT_TRUE(before);

    SolidWindow white(m_server, {300, 300, 100, 100}, {255, 255, 255});
    ASSERT_TRUE(white.shown() && m_server.warpPointer(white.centre()));
    ASSERT_NO_FATAL_FAILURE(start({"-x", "100", "-y", "200"}));
    ASSERT_TRUE(m_program->traceShows("LUT 255 (65535) 255 (65535) 255 (65535)")) << m_program->transcript();
    ASSERT_TRUE(m_keyboard.tap({"Control_L", "h"}));
    ASSERT_TRUE(m_program->traceShows("LUT FF (FFFF) FF (FFFF) FF (FFFF)")) << m_program->transcript();
    ASSERT_TRUE(m_keyboard.tap({"i"}));
    EXPECT_EQ(exitCode(m_program->process().waitForExit(ProgramExitTimeout)), 0) << m_program->transcript();

    const auto said = linesWith(m_program->errors(), m_directory.settingsPath());
    ASSERT_EQ(said.size(), 1u) << m_program->errors();
    EXPECT_NE(said[0].find("another user's"), std::string::npos) << said[0];
    EXPECT_EQ(readAll(victim), victimBytes);
    EXPECT_EQ(identityOf(victim), before) << "the file was replaced, or its owner or mode changed";
    EXPECT_EQ(linkTextOf(m_directory.settingsPath()), victim) << "the link is gone";
    EXPECT_EQ(ProgramDirectory::entries(victimDir.path()), std::vector<std::string>{"accounts"});
    EXPECT_TRUE(ProgramDirectory::entries(m_directory.configDir()).empty()) << "saved somewhere else instead";
}

// A dotfile manager's link: the settings file links to the user's file
// among the user's dotfiles. The close saves into that file (a new file at
// its name, with its owner and mode) and the link stays as it was.
TEST_F(ProgramSettings, dotfileManagersLinkIsSavedThroughAndKept)
{
    TempDir dotfiles{"tintora-dotfiles"};
    ASSERT_FALSE(dotfiles.path().empty());
    const std::string kept = dotfiles.file("Tintora.ini");
    {
        std::ofstream out(kept, std::ios::binary);
        out << "; my settings\n[GENERAL]\nHexMode=0\n";
    }
    ASSERT_EQ(::chmod(kept.c_str(), 0640), 0);
    ASSERT_EQ(::symlink(kept.c_str(), m_directory.settingsPath().c_str()), 0);
    const auto before = identityOf(kept);
    ASSERT_TRUE(before);

    SolidWindow white(m_server, {300, 300, 100, 100}, {255, 255, 255});
    ASSERT_TRUE(white.shown() && m_server.warpPointer(white.centre()));
    ASSERT_NO_FATAL_FAILURE(start({"-x", "100", "-y", "200"}));
    ASSERT_TRUE(m_keyboard.tap({"Control_L", "h"}));
    ASSERT_TRUE(m_program->traceShows("LUT FF (FFFF) FF (FFFF) FF (FFFF)")) << m_program->transcript();
    ASSERT_TRUE(m_keyboard.tap({"i"}));
    EXPECT_EQ(exitCode(m_program->process().waitForExit(ProgramExitTimeout)), 0) << m_program->transcript();

    EXPECT_TRUE(linesWith(m_program->errors(), "Tintora.ini").empty()) << m_program->errors();
    const std::string saved = readAll(kept);
    EXPECT_TRUE(saved.starts_with("; my settings\n[GENERAL]\nHexMode=1\n")) << saved;
    const auto after = identityOf(kept);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->owner, before->owner);
    EXPECT_EQ(after->group, before->group);
    EXPECT_EQ(after->mode, before->mode);
    EXPECT_EQ(linkTextOf(m_directory.settingsPath()), kept) << "the link is gone";
    EXPECT_EQ(ProgramDirectory::entries(dotfiles.path()), std::vector<std::string>{"Tintora.ini"})
        << "a temporary file left behind";
}

// A run killed while the slow pointer is on cannot give the devices back,
// and here its watchdog is killed first; the next start does, from the state
// file the killed run left, exactly.
TEST_F(ProgramSettings, nextStartAfterAKillGivesThePointerDevicesBack)
{
    ASSERT_TRUE(m_directory.writeSettings("[MAGNIFIER]\nSlowMouse=1\n"));
    ASSERT_TRUE(m_devices.setMatrix(m_mouse, OddMatrix));
    const auto before = m_devices.properties();

    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_EQ(waitForMatrix(m_mouse, SlowOddMatrix), SlowOddMatrix) << "SlowMouse=1 not applied";
    // The watchdog starts just after the first change of speed.
    const auto watchdog = waitForWatchdog(m_program->process().pid());
    ASSERT_TRUE(watchdog) << "no watchdog";
    ASSERT_EQ(::kill(*watchdog, SIGKILL), 0);
    // Gone, or a zombie the killed program will never reap.
    ASSERT_TRUE(waitUntil(ProgramExitTimeout, [&] {
        const std::string stat = readAll("/proc/" + std::to_string(*watchdog) + "/stat");
        const auto close = stat.rfind(')');
        return close == std::string::npos || stat.substr(close + 2, 1) == "Z";
    }));
    ASSERT_TRUE(m_program->process().signal(SIGKILL));
    ASSERT_TRUE(m_program->process().waitForExit(ProgramExitTimeout));
    m_program.reset();
    ASSERT_NE(m_devices.properties(), before) << "the killed run left nothing to give back";
    ASSERT_FALSE(ProgramDirectory::entries(m_directory.runtimeDir()).empty()) << "no state file left by the killed run";

    // This run leaves the speed alone, so whatever comes back is the restore.
    ASSERT_TRUE(m_directory.writeSettings("[MAGNIFIER]\nSlowMouse=0\n"));
    ASSERT_NO_FATAL_FAILURE(start());
    std::map<std::string, std::string> now;
    waitUntil(ProgramStartTimeout, [&] {
        now = m_devices.properties();
        return now == before;
    });
    EXPECT_EQ(now, before) << "the devices did not get their own settings back";
    EXPECT_TRUE(ProgramDirectory::entries(m_directory.runtimeDir()).empty()) << "the old state file is still there";
}

// The X server going away ends the program at once, with a message that says
// so, and what was changed in the session is in the settings file.
TEST_F(ProgramSettings, serverGoneEndsTheProgramPromptlyWithItsSettingsSaved)
{
    Xvfb doomed;
    ASSERT_TRUE(doomed.running()) << doomed.error();
    ASSERT_TRUE(loadIdentityRamp(doomed));
    ASSERT_TRUE(m_directory.writeSettings("[GENERAL]\nHexMode=0\n"));
    SolidWindow white(doomed, {300, 300, 100, 100}, {255, 255, 255});
    ASSERT_TRUE(white.shown() && doomed.warpPointer(white.centre()));

    RunningProgram program(doomed, m_directory);
    std::string why;
    ASSERT_TRUE(program.waitUntilReady(why)) << why;
    ASSERT_TRUE(program.traceShows("LUT 255 (65535) 255 (65535) 255 (65535)")) << program.transcript();
    {
        Keyboard keyboard(doomed);
        ASSERT_TRUE(keyboard.tap({"Control_L", "h"}));
    }
    ASSERT_TRUE(program.traceShows("LUT FF (FFFF) FF (FFFF) FF (FFFF)")) << program.transcript();

    doomed.kill();
    const auto status = program.process().waitForExit(std::chrono::milliseconds(3000));
    ASSERT_TRUE(status) << "still running 3 s after the server went away; " << program.transcript();
    ASSERT_TRUE(WIFEXITED(*status)) << "ended by signal " << WTERMSIG(*status);
    EXPECT_NE(WEXITSTATUS(*status), 0);
    EXPECT_NE(program.errors().find("tintora: the connection to the display server was lost"), std::string::npos)
        << program.transcript();
    const auto saved = m_directory.settings();
    ASSERT_TRUE(saved);
    EXPECT_TRUE(contains(sectionLines(*saved, "[GENERAL]"), "HexMode=1")) << *saved;
}

} // namespace
