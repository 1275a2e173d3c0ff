// tintora.exe as shipped in the Windows zip, run under Wine on a private Xorg
// with the dummy video driver (whose XF86VidMode gamma ramp Wine reads, set
// here with xgamma). Each test copies the unpacked package into a folder of
// its own whose name holds Cyrillic letters and "#", starts its own server,
// and ends every process it started; Wine processes included.
//
// Environment: TINTORA_WINDOWS_PACKAGE, the unpacked package folder;
// TINTORA_WINE_PROBE, wine_probe.exe; WINEPREFIX, a prepared Wine prefix.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/printers.h"
#include "support/published_profiles.h"
#include "support/test_profiles.h"
#include "support/xvfb.h"

using namespace tintora;
using namespace tintora::test;
namespace fs = std::filesystem;

namespace {

constexpr const char* Title = "Tintora";
constexpr int Width = 203;
constexpr int Height = 110;
// Generous: Wine starts its own services with the first program of a session,
// and the machine may be busy.
constexpr auto StartTimeout = 60000ms;
constexpr auto StepTimeout = 20000ms;

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string fileContents(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class WineProgram : public ::testing::Test {
protected:
    static Xvfb::Options serverOptions()
    {
        Xvfb::Options options;
        options.width = 1024;
        options.height = 768;
        options.xorgConfig = TINTORA_XORG_DUMMY_CONFIG;
        return options;
    }

    WineProgram() : m_server(serverOptions()) {}

    void SetUp() override
    {
        m_package = environment("TINTORA_WINDOWS_PACKAGE");
        m_probe = environment("TINTORA_WINE_PROBE");
        ASSERT_TRUE(fs::is_regular_file(fs::path(m_package) / "tintora.exe")) << "TINTORA_WINDOWS_PACKAGE";
        ASSERT_TRUE(fs::is_regular_file(m_probe)) << "TINTORA_WINE_PROBE";
        ASSERT_FALSE(environment("WINEPREFIX").empty());
        ASSERT_TRUE(m_server.running()) << m_server.error();

        // The package as a user unpacks it, in a folder with a name that only
        // the wide-character file functions get right.
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        m_folder = fs::path(::testing::TempDir()) / ("Тинтора #" + std::to_string(::getpid())) / test->name();
        std::error_code error;
        fs::remove_all(m_folder, error);
        fs::create_directories(m_folder.parent_path());
        fs::copy(m_package, m_folder, fs::copy_options::recursive, error);
        ASSERT_FALSE(error) << error.message();
    }

    void TearDown() override
    {
        if (m_program) endProgram();
        releaseSession();
        // Nothing of the program may stay: no watchdog, no helper. Once the
        // last program has ended, Wine's own services end too and the
        // session's server goes, which is what this waits for.
        if (m_sessionStarted) {
            ChildProcess wait("wineserver", {"--wait"}, wineEnvironment());
            const bool ended = wait.waitForExit(StepTimeout).has_value();
            EXPECT_TRUE(ended) << "Wine processes still run after the test";
            if (!ended) ChildProcess("wineserver", {"--kill"}, wineEnvironment()).waitForExit(StepTimeout);
        }
        std::error_code error;
        fs::remove_all(m_folder.parent_path(), error);
    }

    std::vector<std::string> wineEnvironment(std::map<std::string, std::optional<std::string>> extra = {}) const
    {
        std::map<std::string, std::optional<std::string>> changes{
            {"DISPLAY", m_server.displayName()},
            {"WINEDEBUG", "-all"},
            {"WINEDLLOVERRIDES", "mscoree,mshtml=;winemenubuilder.exe=d"},
            {"LANG", "C.UTF-8"},
            {"LC_ALL", std::nullopt},
            {"WAYLAND_DISPLAY", std::nullopt},
        };
        for (auto& [name, value] : extra) changes[name] = value;
        return environmentWith(changes);
    }

    // Starts tintora.exe from the test's folder; its readouts are traced to
    // output.
    void launch(const std::vector<std::string>& args = {"-x", "100", "-y", "200"},
                std::map<std::string, std::optional<std::string>> extra = {})
    {
        std::vector<std::string> wineArgs{(m_folder / "tintora.exe").string()};
        wineArgs.insert(wineArgs.end(), args.begin(), args.end());
        extra["TINTORA_TRACE_READOUTS"] = "1";
        m_sessionStarted = true;
        m_program = std::make_unique<ChildProcess>("wine", wineArgs, wineEnvironment(extra), m_errors.path(),
                                                   m_output.path());
        ASSERT_TRUE(m_program->pid()) << m_program->error();
    }

    // The main window once it is up, its first readouts traced, with the
    // keyboard focus. Wine does not give the X focus to a window without a
    // frame when no window manager runs; a user's click would, here the
    // test does.
    std::optional<TopLevel> waitForWindow()
    {
        auto window = m_server.waitForTopLevel(Title, StartTimeout);
        if (!window || !traceShows("Bitmap ")) return std::nullopt;
        if (!xClient("xdotool", {"windowfocus", "--sync", std::to_string(window->id)})) return std::nullopt;
        return window;
    }

    bool traceShows(const std::string& text, std::chrono::milliseconds timeout = StepTimeout)
    {
        return waitUntil(timeout, [&] { return m_output.contents().find(text) != std::string::npos; });
    }

    // Ends the program as Windows asks a program to end (WM_CLOSE to its
    // window, as the task manager's "End task" does) and returns its exit
    // status.
    std::optional<int> endProgram()
    {
        probe({"close", Title});
        auto status = m_program->waitForExit(StepTimeout);
        if (!status) m_program->stop();
        m_program.reset();
        return status;
    }

    // Runs wine_probe.exe with args in the session; its output, trimmed.
    std::string probe(const std::vector<std::string>& args)
    {
        TempFile output;
        std::vector<std::string> wineArgs{m_probe};
        wineArgs.insert(wineArgs.end(), args.begin(), args.end());
        m_sessionStarted = true;
        ChildProcess run("wine", wineArgs, wineEnvironment(), {}, output.path());
        if (!run.waitForExit(StepTimeout)) return "<probe did not finish>";
        std::string text = output.contents();
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        return text;
    }

    // Keeps the Wine session up until releaseSession(), as a user's logon
    // session stays up between programs. Without it the session ends
    // whenever its last program has ended (between two probes, say, on a
    // busy machine), and the pointer speed set for the session alone (as
    // the program and the probe set it) goes back to the saved one with it.
    bool holdSession()
    {
        m_sessionStarted = true;
        m_holder = std::make_unique<ChildProcess>("wine", std::vector<std::string>{m_probe, "hold"},
                                                  wineEnvironment(), std::string(), m_holderOutput.path());
        return m_holder->pid() &&
               waitUntil(StartTimeout, [&] { return m_holderOutput.contents().find("held") != std::string::npos; });
    }

    void releaseSession()
    {
        if (!m_holder) return;
        probe({"release"});
        if (!m_holder->waitForExit(StepTimeout)) m_holder->stop();
        m_holder.reset();
    }

    // Runs an X client on the test's server to its end; true when it
    // succeeded.
    bool xClient(const std::string& program, const std::vector<std::string>& args, std::string* output = nullptr)
    {
        TempFile out;
        ChildProcess run(program, args, environmentWith({{"DISPLAY", m_server.displayName()}}), {}, out.path());
        const auto status = run.waitForExit(StepTimeout);
        if (output) *output = out.contents();
        return status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
    }

    bool keys(const std::string& chord) { return xClient("xdotool", {"key", "--clearmodifiers", chord}); }

    // The X clipboard's text once it is expected (Wine hands what a Windows
    // program copies to the X CLIPBOARD selection).
    std::string clipboardOnceItIs(const std::string& expected)
    {
        std::string text;
        waitUntil(StepTimeout, [&] {
            xClient("xclip", {"-selection", "clipboard", "-o"}, &text);
            return text == expected;
        });
        return text;
    }

    std::string probeUntil(const std::vector<std::string>& args, const std::string& expected)
    {
        std::string text;
        waitUntil(StepTimeout, [&] {
            text = probe(args);
            return text == expected;
        });
        return text;
    }

    std::string desktopRect() { return "0 0 1024 768"; }

    // The user's decimal separator, as the regional settings keep it.
    bool setRegionalDecimal(const std::string& separator)
    {
        m_sessionStarted = true;
        ChildProcess reg("wine", {"reg", "add", "HKCU\\Control Panel\\International", "/v", "sDecimal", "/d", separator, "/f"},
                         wineEnvironment());
        const auto status = reg.waitForExit(StepTimeout);
        return status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
    }

    Xvfb m_server;
    std::string m_package;
    std::string m_probe;
    fs::path m_folder;
    TempFile m_output;
    TempFile m_errors;
    std::unique_ptr<ChildProcess> m_program;
    std::unique_ptr<ChildProcess> m_holder;
    TempFile m_holderOutput;
    bool m_sessionStarted = false;
};

TEST_F(WineProgram, mainWindowAndItsSettingsFileBesideTheExe)
{
    launch();
    const auto window = waitForWindow();
    ASSERT_TRUE(window) << "stderr: " << m_errors.contents();
    EXPECT_EQ(window->netWmName, Title);
    EXPECT_EQ(window->rect, (Rect{100, 200, Width, Height}));

    EXPECT_FALSE(fs::exists(m_folder / "Tintora.ini")) << "written at the close, not before";
    const auto status = endProgram();
    ASSERT_TRUE(status) << "did not end after WM_CLOSE";
    ASSERT_TRUE(WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 0) << "stderr: " << m_errors.contents();

    const std::string ini = fileContents(m_folder / "Tintora.ini");
    EXPECT_EQ(ini, "[GENERAL]\nonTop=0\nHexMode=0\nDecMode=0\n\n[MAGNIFIER]\nShowMag=0\nZoom=2\nSlowMouse=0\n");
}

// What Windows reads from the file before the program runs: the icon, the
// version, and a manifest asking for physical pixels on every monitor,
// version 6 of the common controls and no elevation.
TEST_F(WineProgram, theExecutableCarriesItsIconVersionAndManifest)
{
    const std::string resources = probe({"resources", (m_folder / "tintora.exe").string()});
    EXPECT_NE(resources.find("icon\r\n"), std::string::npos) << resources;
    EXPECT_NE(resources.find("version " TINTORA_VERSION "\r\n"), std::string::npos) << resources;
    for (const char* part : {"<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2",
                             "<requestedExecutionLevel level=\"asInvoker\"", "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""})
        EXPECT_NE(resources.find(part), std::string::npos) << part;
}

TEST_F(WineProgram, readsThePixelAndTheRampAndCopiesBoth)
{
    SolidWindow sample(m_server, {600, 400, 100, 100}, {200, 100, 0});
    ASSERT_TRUE(sample.shown());
    ASSERT_TRUE(m_server.warpPointer(sample.centre()));
    // The root too: Alt starts an axis lock, and while Wine sets up its
    // pointer grab for ClipCursor a tick can read the pointer elsewhere.
    ASSERT_TRUE(xClient("xsetroot", {"-solid", "#C86400"}));
    // The identity ramp, i × 257.
    ASSERT_TRUE(xClient("xgamma", {"-gamma", "1.0"}));

    launch();
    ASSERT_TRUE(waitForWindow()) << "stderr: " << m_errors.contents();
    EXPECT_TRUE(traceShows("Bitmap 200 100 0 | LUT 201 (51400) 100 (25700) 0 (0) | #C96400"))
        << "trace: " << m_output.contents();

    ASSERT_TRUE(keys("ctrl+c"));
    EXPECT_EQ(clipboardOnceItIs("C86400"), "C86400");
    ASSERT_TRUE(keys("ctrl+alt+c"));
    EXPECT_EQ(clipboardOnceItIs("C96400"), "C96400") << "trace: " << m_output.contents();

    // Another ramp while it runs: the LUT column follows. For gamma g the
    // server's table holds round(255 (i/255)^(1/g)) x 257: red (g 2.0) at
    // 200 is 226 x 257 = 58082, green (g 0.5) at 100 is 39 x 257 = 10023.
    ASSERT_TRUE(xClient("xgamma", {"-rgamma", "2.0", "-ggamma", "0.5", "-bgamma", "1.0"}));
    EXPECT_TRUE(traceShows("Bitmap 200 100 0 | LUT 227 (58082) 39 (10023) 0 (0) | #E32700"))
        << "trace: " << m_output.contents();
    ASSERT_TRUE(keys("ctrl+alt+c"));
    EXPECT_EQ(clipboardOnceItIs("E32700"), "E32700");

    ASSERT_TRUE(endProgram());
    // The copied text outlives the program.
    EXPECT_EQ(clipboardOnceItIs("E32700"), "E32700");
}

// Wine gives Windows programs a copy of the X root's _ICC_PROFILE as the
// monitor's profile (its own sRGB profile when there is none): the backend
// reads that copy's bytes, and a new one while it runs.
TEST_F(WineProgram, theDisplayProfileFollowsTheRootsProperty)
{
    TestProfile profile;
    profile.description = L"Tintora under Wine, first";
    const ProfileBytes first = displayProfileBytes(profile);
    profile.description = L"Tintora under Wine, second";
    profile.vcgtCurve = [](int, double x) { return x * 0.9; };
    const ProfileBytes second = displayProfileBytes(profile);
    ASSERT_NE(first, second);
    const ProfileProperty rootProfile{"_ICC_PROFILE", ""};
    ASSERT_TRUE(publishProfileProperty(m_server, rootProfile, first));

    // The probe writes each profile it is given as k.icc, then k.txt.
    TempDir readings("tintora-wine-profiles");
    m_sessionStarted = true;
    ChildProcess probe("wine", {m_probe, "profiles", "Z:" + readings.path(), "3"}, wineEnvironment());
    ASSERT_TRUE(probe.pid()) << probe.error();
    const auto reading = [&](int k) -> std::optional<ProfileBytes> {
        const std::string name = readings.file(std::to_string(k));
        if (!waitUntil(StartTimeout, [&] { return fs::exists(name + ".txt"); })) return std::nullopt;
        return fileBytes(name + ".icc");
    };
    EXPECT_EQ(reading(1), first);

    ASSERT_TRUE(publishProfileProperty(m_server, rootProfile, second));
    EXPECT_EQ(reading(2), second);

    ASSERT_TRUE(removeProfileProperty(m_server, rootProfile));
    const std::optional<ProfileBytes> fallback = reading(3);
    ASSERT_TRUE(fallback);
    EXPECT_NE(*fallback, second);
    ASSERT_GE(fallback->size(), 132u);
    EXPECT_EQ(std::string(fallback->begin() + 36, fallback->begin() + 40), "acsp");
    EXPECT_EQ(exitCode(probe.waitForExit(StepTimeout)), 0);
}

// Letter shortcuts go by the key, whatever the layout types on it: under a
// Russian layout the key that types "С" copies with Ctrl, and the one that
// types "Ш" is I, which closes the program.
TEST_F(WineProgram, letterShortcutsInAnyKeyboardLayout)
{
    // Russian first, Latin second, as Russian users have it; before Wine
    // starts, which takes the layout once.
    ASSERT_TRUE(xClient("setxkbmap", {"-layout", "ru,us"}));
    SolidWindow sample(m_server, {600, 400, 100, 100}, {200, 100, 0});
    ASSERT_TRUE(sample.shown());
    ASSERT_TRUE(m_server.warpPointer(sample.centre()));

    launch();
    ASSERT_TRUE(waitForWindow()) << "stderr: " << m_errors.contents();
    ASSERT_TRUE(keys("ctrl+Cyrillic_es"));
    EXPECT_EQ(clipboardOnceItIs("C86400"), "C86400");

    ASSERT_TRUE(keys("Cyrillic_sha"));
    const auto status = m_program->waitForExit(StepTimeout);
    ASSERT_TRUE(status) << "the I key did not close the program";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
    m_program.reset();
}

// The slow pointer from the settings file and an axis lock held with Alt;
// then the program ends one way or another, and the session's pointer must
// be as before.
TEST_F(WineProgram, pointerSpeedAndConfinementAreGivenBack)
{
    const struct {
        const char* name;
        bool crash;
    } ends[] = {{"closed", false}, {"killed", true}};
    // The speed given back must be seen in the same session, not the saved
    // one a new session starts with, which is the same.
    ASSERT_TRUE(holdSession()) << m_holderOutput.contents();
    for (const auto& end : ends) {
        SCOPED_TRACE(end.name);
        std::ofstream(m_folder / "Tintora.ini", std::ios::binary)
            << "[MAGNIFIER]\r\nSlowMouse=1\r\n";
        ASSERT_EQ(probe({"speed"}), "10");
        ASSERT_TRUE(m_server.warpPointer({500, 300}));

        launch();
        ASSERT_TRUE(waitForWindow()) << "stderr: " << m_errors.contents();
        EXPECT_EQ(probeUntil({"speed"}, "1"), "1");
        ASSERT_TRUE(xClient("xdotool", {"keydown", "alt"}));
        EXPECT_EQ(probeUntil({"clip"}, "0 300 1024 301"), "0 300 1024 301") << "the row through the pointer";

        if (end.crash) {
            ASSERT_TRUE(m_program->signal(SIGKILL));
            ASSERT_TRUE(m_program->waitForExit(StepTimeout));
            m_program.reset();
        } else {
            ASSERT_TRUE(endProgram());
        }
        EXPECT_EQ(probeUntil({"speed"}, "10"), "10");
        EXPECT_EQ(probeUntil({"clip"}, desktopRect()), desktopRect());
        ASSERT_TRUE(xClient("xdotool", {"keyup", "alt"}));
    }
}

// A run that ended without giving back (its watchdog ended as well) left the
// speed changed and a state file: the next start gives the user's speed back.
TEST_F(WineProgram, nextStartGivesBackWhatAnEndedRunLeft)
{
    // The speed left behind lasts as long as the session.
    ASSERT_TRUE(holdSession()) << m_holderOutput.contents();
    ASSERT_EQ(probe({"set-speed", "3"}), "");
    ASSERT_EQ(probe({"write-state", "7", "3"}), "");
    ASSERT_EQ(probe({"state-files"}), "1");

    launch();
    ASSERT_TRUE(waitForWindow()) << "stderr: " << m_errors.contents();
    EXPECT_EQ(probe({"speed"}), "7");
    EXPECT_EQ(probe({"state-files"}), "0");
    ASSERT_TRUE(endProgram());
    EXPECT_EQ(probe({"speed"}), "7") << "the speed found at start is the user's";
}

// The decimal separator of the user's regional settings, in the fractions
// and in the settings file's zoom: a zoom written with the other separator
// does not read, and the default is saved instead.
TEST_F(WineProgram, theRegionalDecimalSeparator)
{
    const struct {
        const char* separator;
        const char* fractions;
        const char* zoomWritten;
    } cases[] = {
        {",", "Bitmap 0,780 0,390 0,000", "Zoom=1,5\n"},
        {".", "Bitmap 0.780 0.390 0.000", "Zoom=2\n"},
    };
    SolidWindow sample(m_server, {600, 400, 100, 100}, {200, 100, 0});
    ASSERT_TRUE(sample.shown());
    ASSERT_TRUE(m_server.warpPointer(sample.centre()));
    // Back to the prefix's own separator, however the test ends.
    struct Restore {
        std::function<void()> restore;
        ~Restore() { restore(); }
    } restore{[this] { setRegionalDecimal("."); }};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.separator);
        ASSERT_TRUE(setRegionalDecimal(c.separator));
        std::ofstream(m_folder / "Tintora.ini", std::ios::binary) << "[GENERAL]\nDecMode=1\n[MAGNIFIER]\nZoom=1,5\n";
        launch();
        ASSERT_TRUE(waitForWindow()) << "stderr: " << m_errors.contents();
        EXPECT_TRUE(traceShows(c.fractions)) << "trace: " << m_output.contents();
        ASSERT_TRUE(endProgram());
        EXPECT_NE(fileContents(m_folder / "Tintora.ini").find(c.zoomWritten), std::string::npos)
            << fileContents(m_folder / "Tintora.ini");
    }
}

// The help page is windows-1251 text among the program's resources, found
// through an address that holds the exe's path, "#" included: the help
// window shows the page's dark text on its light background.
TEST_F(WineProgram, helpWindowShowsThePage)
{
    launch();
    ASSERT_TRUE(waitForWindow()) << "stderr: " << m_errors.contents();
    ASSERT_TRUE(keys("F1"));
    const auto help = m_server.waitForTopLevel("Справка", StepTimeout);
    ASSERT_TRUE(help) << "no help window";
    const Rect page{help->rect.x + 20, help->rect.y + 20, 200, 60};
    int dark = 0;
    waitUntil(StepTimeout, [&] {
        dark = 0;
        for (int y = page.y; y < page.bottom(); y += 3)
            for (int x = page.x; x < page.right(); x += 2)
                if (const auto c = m_server.rootPixel({x, y}); c && c->r < 100 && c->g < 100 && c->b < 100) ++dark;
        return dark > 20;
    });
    EXPECT_GT(dark, 20) << "no text in the help window";

    const auto status = endProgram();
    ASSERT_TRUE(status) << "did not end with the help window shown";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
}

} // namespace
