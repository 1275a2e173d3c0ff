// The real program on a headless GNOME session of its own: the Wayland
// backend chosen, the screen read through the ScreenCast portal and
// PipeWire, the pointer's position from the frames' metadata, and the
// consent kept under the restore token from one start to the next.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <csignal>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "support/headless_gnome.h"

using namespace tintora;
using namespace tintora::test;

namespace {

constexpr auto ExitTimeout = 40000ms;
constexpr auto ReadTimeout = 20000ms;
// Both halves of the client's window.
const std::string Left = "C80040", Right = "2060A0";

class WaylandProgram : public ::testing::Test {
protected:
    WaylandProgram() = default;
    explicit WaylandProgram(HeadlessGnome::Options options) : m_session(options) {}

    void SetUp() override
    {
        ASSERT_TRUE(m_session.running()) << m_session.error();
        // The consent as the ScreenCast dialog records it, and its token
        // where the program keeps it: no dialog at any start.
        ASSERT_TRUE(m_session.allowProgramScreenCast()) << m_session.error();
        ASSERT_TRUE(m_client.ready(ReadTimeout)) << m_client.error();
        // A copy of its own, whose settings file is written beside it.
        std::error_code e;
        ASSERT_TRUE(std::filesystem::copy_file(TINTORA_BINARY, binary(), e)) << e.message();
    }

    std::string binary() const { return m_programDir.file("tintora"); }

    struct Outcome {
        int status = -1; // -1: did not end in time, or not by itself
        std::string out;
        std::string err;
    };

    Outcome run(const std::vector<std::string>& args, const EnvironmentChanges& extra = {})
    {
        TempFile out, err;
        EnvironmentChanges environment = m_session.clientEnvironment();
        for (const auto& [name, value] : extra) environment[name] = value;
        ChildProcess program(binary(), args, environmentWith(environment), err.path(), out.path());
        EXPECT_TRUE(program.pid()) << program.error();
        Outcome o;
        o.status = exitCode(program.waitForExit(ExitTimeout));
        o.out = out.contents();
        o.err = err.contents();
        return o;
    }

    HeadlessGnome m_session;
    TempDir m_programDir{"tintora-program"};
    WaylandColourClient m_client{m_session, WAYLAND_TEST_CLIENT, Left, Right};
};

// The probe reads the colours the client shows, at a second start too:
// the portal restored the consent from the token the program kept, so no
// dialog held it up (it would never have ended in time).
TEST_F(WaylandProgram, probeReadsKnownColoursAndTheConsentHoldsAtTheNextStart)
{
    const std::string expected = "100 100 bitmap " + Left + " lut none\n1800 900 bitmap " + Right +
                                 " lut none\n1920 5 bitmap none lut none\n";
    Outcome first;
    // The window reaches the screen a moment after it painted.
    ASSERT_TRUE(waitUntil(ReadTimeout, [&] {
        first = run({"--at", "100,100", "--at", "1800,900", "--at", "1920,5"});
        return first.out == expected;
    })) << "status " << first.status << "\nout:\n" << first.out << "err:\n" << first.err;
    EXPECT_EQ(first.status, 0);
    EXPECT_NE(first.err.find("no monitor shows the point 1920,5"), std::string::npos) << first.err;

    // The token is kept, and the portal still holds the consent under it.
    const std::string token = HeadlessGnome::ProgramToken;
    EXPECT_EQ(readAll(m_session.programTokenFile()), token + "\n");
    const auto tokens = m_session.screenCastTokens();
    EXPECT_NE(std::find(tokens.begin(), tokens.end(), token), tokens.end());

    const Outcome second = run({"--at", "1800,900"});
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(second.out, "1800 900 bitmap " + Right + " lut none\n");

    // No ramp on Wayland: --lut says so and lists nothing.
    const Outcome lut = run({"--lut"});
    EXPECT_EQ(lut.status, 0) << lut.err;
    EXPECT_EQ(lut.out, "output,level,red,green,blue\n");
}

// The windows run on Wayland and read the colour under the pointer as it
// moves, with the magnifier hidden and shown (its block grabbed out of the
// frames); a termination signal closes the program normally, the settings
// saved.
TEST_F(WaylandProgram, windowReadsTheColourUnderThePointer)
{
    for (const std::string settings : {"", "[MAGNIFIER]\nShowMag=1\nZoom=32\n"}) {
        SCOPED_TRACE(settings.empty() ? "magnifier hidden" : "magnifier shown");
        const std::string settingsFile = m_programDir.file("Tintora.ini");
        std::ofstream(settingsFile, std::ios::trunc) << settings;
        TempFile out, err;
        EnvironmentChanges environment = m_session.clientEnvironment();
        environment["TINTORA_TRACE_READOUTS"] = "1";
        ChildProcess program(binary(), {}, environmentWith(environment), err.path(), out.path());
        ASSERT_TRUE(program.pid()) << program.error();

        const struct {
            Point at;
            const char* readout;
        } moves[] = {
            {{300, 400}, "Bitmap 200 0 64 | "},
            {{1500, 600}, "Bitmap 32 96 160 | "},
            {{20, 1000}, "Bitmap 200 0 64 | "},
            // The halves meet between columns 959 and 960: the position is
            // the pointer's own pixel, not the corner of its picture.
            {{960, 1000}, "Bitmap 32 96 160 | "},
            {{959, 1000}, "Bitmap 200 0 64 | "},
        };
        std::size_t seen = 0;
        for (const auto& move : moves) {
            SCOPED_TRACE(move.readout);
            ASSERT_TRUE(m_client.movePointer(move.at));
            // Each readout after the ones before it.
            ASSERT_TRUE(waitUntil(ReadTimeout, [&] {
                const auto at = out.contents().find(move.readout, seen);
                if (at == std::string::npos) return false;
                seen = at + 1;
                return true;
            })) << "trace:\n" << out.contents() << "errors:\n" << err.contents();
        }
        EXPECT_NE(err.contents().find("offers no gamma ramp"), std::string::npos) << err.contents();
        // The compositor alone stacks windows: the start says the pin can do nothing.
        EXPECT_NE(err.contents().find("the pin button is unavailable"), std::string::npos) << err.contents();

        ASSERT_TRUE(program.signal(SIGTERM));
        EXPECT_EQ(exitCode(program.waitForExit(ExitTimeout)), 0) << err.contents();
        EXPECT_NE(readAll(settingsFile).find("ShowMag="), std::string::npos) << readAll(settingsFile);
    }
}

// An X server of the Wayland session (Xwayland) shows only X programs'
// windows: with a Wayland display named too, the program takes the Wayland
// backend and reads the Wayland window; with the X server alone it takes
// X11, where no monitor shows the window.
class WaylandProgramWithXwayland : public WaylandProgram {
protected:
    static HeadlessGnome::Options withXwayland()
    {
        HeadlessGnome::Options options;
        options.xwayland = true;
        return options;
    }
    WaylandProgramWithXwayland() : WaylandProgram(withXwayland()) {}
};

TEST_F(WaylandProgramWithXwayland, anXwaylandDisplayGivesWayToWayland)
{
    const EnvironmentChanges xwayland = m_session.xwaylandEnvironment();
    ASSERT_FALSE(xwayland.empty()) << "Mutter named no X display";
    const std::string expected = "100 100 bitmap " + Left + " lut none\n";
    Outcome both;
    ASSERT_TRUE(waitUntil(ReadTimeout, [&] {
        both = run({"--at", "100,100"}, xwayland);
        return both.out == expected;
    })) << "status " << both.status << "\nout:\n" << both.out << "err:\n" << both.err;

    EnvironmentChanges xOnly = xwayland;
    xOnly["WAYLAND_DISPLAY"] = std::nullopt;
    const Outcome x11 = run({"--at", "100,100"}, xOnly);
    EXPECT_NE(x11.out, expected) << x11.err;
}

} // namespace
