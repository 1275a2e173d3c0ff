// The real program on a private Xvfb with no window manager: where its
// window appears, what it shows, how it ends.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "support/printers.h"
#include "support/running_program.h"
#include "support/xvfb.h"

using namespace tintora;
using namespace tintora::test;

namespace {

constexpr const char* Title = "Tintora";
constexpr int Width = 203;
constexpr int Height = 110;
constexpr auto ExitTimeout = 5000ms;

class Program : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.running()) << m_server.error();
        ASSERT_TRUE(m_directory.error().empty()) << m_directory.error();
    }

    // Starts the program with args on the private server; environment
    // changes it further.
    std::unique_ptr<RunningProgram> launch(const std::vector<std::string>& args, EnvironmentChanges environment = {})
    {
        auto run = std::make_unique<RunningProgram>(m_server, m_directory,
                                                    RunningProgram::Launch{args, std::move(environment), {}, {}});
        EXPECT_TRUE(run->process().pid()) << run->process().error();
        return run;
    }

    // The program's window once it is mapped (and accepted, when given).
    std::optional<TopLevel> window(const std::function<bool(const TopLevel&)>& accept = {})
    {
        return m_server.waitForTopLevel(Title, ProgramStartTimeout, accept);
    }

    Xvfb m_server;
    ProgramDirectory m_directory;
};

TEST_F(Program, startPosition)
{
    struct Case {
        std::vector<std::string> args;
        Point topLeft;
    };
    const Case cases[] = {
        {{"-x", "100", "-y", "200"}, {100, 200}},
        // Centred in the work area, which is the whole 1920 x 1080 monitor:
        // (1920 - 203) / 2 and (1080 - 110) / 2.
        {{}, {858, 485}},
        // Both moves come within 10 pixels of the work area's edges and snap.
        {{"-x", "5", "-y", "5"}, {0, 0}},
        // Not an option, but any argument prevents centring.
        {{"-Xpos", "100"}, {0, 0}},
        // Beyond the 16 bits of an X11 position: held at the range's ends,
        // off the screen, not wrapped around onto it (to 100 and -100).
        {{"-x", "65636", "-y", "-65636"}, {32767, -32768}},
    };
    for (const Case& c : cases) {
        std::string line;
        for (const std::string& a : c.args) line += " " + a;
        SCOPED_TRACE("tintora" + line);
        auto run = launch(c.args);
        const auto w = window([&](const TopLevel& t) { return Point{t.rect.x, t.rect.y} == c.topLeft; });
        ASSERT_TRUE(w) << "no window; stderr: " << run->errors();
        EXPECT_EQ((Point{w->rect.x, w->rect.y}), c.topLeft);
        EXPECT_EQ(w->rect.width, Width);
        EXPECT_EQ(w->rect.height, Height);
        run->process().stop();
        // The next run must not find this one's window.
        ASSERT_TRUE(waitUntil(ExitTimeout, [&] { return !m_server.findTopLevel(Title); }));
    }
}

TEST_F(Program, windowIsTitledTintora)
{
    auto run = launch({"-x", "100", "-y", "200"});
    const auto w = window();
    ASSERT_TRUE(w) << "stderr: " << run->errors();
    EXPECT_EQ(w->netWmName, Title); // what task bars and switchers show
    EXPECT_EQ(w->wmName, Title);
}

// The swatch is a plain fill of the sampled colour, so a screenshot of it can
// be compared exactly; moving the pointer to another colour shows the probe
// keeps sampling.
TEST_F(Program, swatchFollowsThePixelUnderThePointer)
{
    const Colour first{200, 100, 0}, second{0, 128, 255};
    SolidWindow a(m_server, {1000, 500, 100, 100}, first);
    SolidWindow b(m_server, {1200, 500, 100, 100}, second);
    ASSERT_TRUE(a.shown() && b.shown());
    ASSERT_TRUE(m_server.warpPointer(a.centre()));

    auto run = launch({"-x", "100", "-y", "200"});
    const auto w = window();
    ASSERT_TRUE(w) << "stderr: " << run->errors();
    // swatch is 51 x 51 at (142, 47) of the window.
    const Point swatch{w->rect.x + 142 + 25, w->rect.y + 47 + 25};

    for (const auto& [target, colour] : {std::pair{&a, first}, std::pair{&b, second}}) {
        ASSERT_TRUE(m_server.warpPointer(target->centre()));
        std::optional<Colour> shown;
        waitUntil(ProgramStartTimeout, [&] {
            shown = m_server.rootPixel(swatch);
            return shown == colour;
        });
        EXPECT_EQ(shown, colour) << "swatch of the pixel under (" << target->centre().x << ", "
                                 << target->centre().y << ")";
    }
}

// The readouts as the running program shows them, through its trace of every
// change: the pixel under the pointer and the ramp loaded in the server. A
// new ramp loaded while it runs shows at once, so the ramp is read each tick.
TEST_F(Program, readoutsShowPixelAndRampUnderThePointer)
{
    ASSERT_EQ(m_server.gammaSize(), 256);
    RampTable times257{}, times256{}, zeros{}, full{};
    for (std::size_t i = 0; i < 256; ++i) {
        times257[i] = static_cast<std::uint16_t>(i * 257);
        times256[i] = static_cast<std::uint16_t>(i * 256);
        full[i] = 65535;
    }
    ASSERT_TRUE(m_server.setGammaRamp(times257, times257, times257));
    SolidWindow window(m_server, {1000, 500, 100, 100}, {200, 100, 0});
    ASSERT_TRUE(window.shown());
    ASSERT_TRUE(m_server.warpPointer(window.centre()));

    auto run = launch({"-x", "100", "-y", "200"});
    EXPECT_TRUE(run->traceShows("Bitmap 200 100 0 | LUT 201 (51400) 100 (25700) 0 (0) | #C96400"))
        << run->transcript();

    ASSERT_TRUE(m_server.setGammaRamp(times256, zeros, full));
    EXPECT_TRUE(run->traceShows("Bitmap 200 100 0 | LUT 200 (51200) 0 (0) 255 (65535) | #C800FF"))
        << run->transcript();
}

TEST_F(Program, withoutDisplayExitsWithAMessage)
{
    auto run = launch({}, {{"DISPLAY", std::nullopt}});
    const auto status = run->process().waitForExit(ExitTimeout);
    ASSERT_TRUE(status) << "still running without a display";
    ASSERT_TRUE(WIFEXITED(*status)) << "ended by signal " << WTERMSIG(*status);
    EXPECT_NE(WEXITSTATUS(*status), 0);
    EXPECT_NE(run->errors().find("X11"), std::string::npos) << "stderr: " << run->errors();
}

// A display whose pixels are colour-map entries (8-bit PseudoColor) cannot
// be read: the program says so and ends, as it does for Wayland.
TEST_F(Program, colourMappedDisplayIsRefusedWithAMessage)
{
    Xvfb::Options options;
    options.width = 1024;
    options.height = 768;
    options.depth = 8;
    Xvfb pseudoColour(options);
    ASSERT_TRUE(pseudoColour.running()) << pseudoColour.error();
    auto run = launch({"-x", "100", "-y", "200"}, {{"DISPLAY", pseudoColour.displayName()}});
    const auto status = run->process().waitForExit(ProgramStartTimeout);
    ASSERT_TRUE(status) << "still running on a PseudoColor display";
    ASSERT_TRUE(WIFEXITED(*status)) << "ended by signal " << WTERMSIG(*status);
    EXPECT_EQ(WEXITSTATUS(*status), 1);
    const std::string errors = run->errors();
    EXPECT_NE(errors.find("8-bit PseudoColor"), std::string::npos) << "stderr: " << errors;
    EXPECT_NE(errors.find("TrueColor"), std::string::npos) << "stderr: " << errors;
    EXPECT_FALSE(pseudoColour.findTopLevel(Title)) << "a window was shown";
}

// Each of these signals runs the normal close and ends the program with 0.
TEST_F(Program, signalsCloseTheProgram)
{
    for (const int signo : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(signo));
        auto run = launch({"-x", "100", "-y", "200"});
        // The window is mapped after the handlers are in place.
        ASSERT_TRUE(window()) << "stderr: " << run->errors();
        ASSERT_TRUE(run->process().signal(signo));
        const auto status = run->process().waitForExit(ExitTimeout);
        ASSERT_TRUE(status) << "still running " << ExitTimeout.count() << " ms after the signal";
        ASSERT_TRUE(WIFEXITED(*status)) << "ended by signal " << WTERMSIG(*status);
        EXPECT_EQ(WEXITSTATUS(*status), 0) << "stderr: " << run->errors();
        ASSERT_TRUE(waitUntil(ExitTimeout, [&] { return !m_server.findTopLevel(Title); }));
    }
}

// Started without its standard streams, the program shows its window where
// asked, samples and ends normally on SIGTERM: the trace of its readouts goes
// nowhere rather than into a display connection that took the number of
// standard output.
TEST_F(Program, runsWithoutStandardStreams)
{
    const Colour orange{200, 100, 0};
    SolidWindow under(m_server, {1000, 500, 100, 100}, orange);
    ASSERT_TRUE(under.shown() && m_server.warpPointer(under.centre()));

    RunningProgram run(m_server, m_directory,
                       RunningProgram::Launch{{"-x", "100", "-y", "200"}, {}, {}, StreamFaults{{0, 1, 2}, false}});
    ASSERT_TRUE(run.process().pid()) << run.process().error();
    const auto w = window([](const TopLevel& t) { return Point{t.rect.x, t.rect.y} == Point{100, 200}; });
    ASSERT_TRUE(w) << "no window at 100,200";
    // The swatch (51 x 51 at (142, 47) of the window) is painted after the
    // readouts it shows were traced.
    const Point swatch{w->rect.x + 142 + 25, w->rect.y + 47 + 25};
    ASSERT_TRUE(waitUntil(ProgramStartTimeout, [&] { return m_server.rootPixel(swatch) == orange; }))
        << "the swatch never showed the colour under the pointer";

    ASSERT_TRUE(run.process().signal(SIGTERM));
    const auto status = run.process().waitForExit(ExitTimeout);
    ASSERT_TRUE(status) << "still running " << ExitTimeout.count() << " ms after SIGTERM";
    ASSERT_TRUE(WIFEXITED(*status)) << "ended by signal " << WTERMSIG(*status);
    EXPECT_EQ(WEXITSTATUS(*status), 0);
}

} // namespace
