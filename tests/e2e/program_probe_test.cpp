// The scriptable probe of the real program on a private Xvfb: a ramp loaded
// through RandR, windows of known colours, the program's standard streams and
// exit status read back.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "support/processes.h"
#include "support/published_profiles.h"
#include "support/running_program.h"
#include "support/test_profiles.h"
#include "support/xvfb.h"

using namespace tintora;
using namespace tintora::test;

namespace {

constexpr auto ExitTimeout = 15000ms;

// What one run printed and how it ended.
struct Outcome {
    std::optional<int> status; // the exit code; nothing when it did not end normally in time
    std::string out;
    std::string err;
};

// A ramp that is not the identity: red i * 257, green halved, blue a
// gamma-like curve with the dark levels merged to 0.
RampTable redTable()
{
    RampTable t{};
    for (int i = 0; i < 256; ++i) t[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(i * 257);
    return t;
}
RampTable greenTable()
{
    RampTable t{};
    for (int i = 0; i < 256; ++i) t[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(i * 257 / 2);
    return t;
}
RampTable blueTable()
{
    RampTable t{};
    for (int i = 0; i < 256; ++i) t[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(i < 16 ? 0 : i * 256);
    return t;
}

class Probe : public ::testing::Test {
protected:
    Probe() = default;
    explicit Probe(Xvfb::Options server) : m_server(std::move(server)) {}

    void SetUp() override
    {
        ASSERT_TRUE(m_server.running()) << m_server.error();
        ASSERT_TRUE(m_directory.error().empty()) << m_directory.error();
        ASSERT_TRUE(m_server.setGammaRamp(redTable(), greenTable(), blueTable()));
    }

    Outcome run(const std::vector<std::string>& args, EnvironmentChanges extra = {})
    {
        return run(RunningProgram::Launch{args, std::move(extra), {}, {}});
    }

    Outcome run(RunningProgram::Launch launch)
    {
        // Only what the probe itself prints on standard output.
        launch.environment.emplace("TINTORA_TRACE_READOUTS", std::nullopt);
        RunningProgram program(m_server, m_directory, std::move(launch));
        EXPECT_TRUE(program.process().pid()) << program.process().error();
        Outcome outcome;
        const auto status = program.process().waitForExit(ExitTimeout);
        if (status && WIFEXITED(*status)) outcome.status = WEXITSTATUS(*status);
        outcome.out = program.trace();
        outcome.err = program.errors();
        return outcome;
    }

    // Nothing of the program's state was written: no settings file beside
    // it, no pointer state in the runtime folder, nothing in the config one.
    void expectNothingWritten()
    {
        EXPECT_EQ(ProgramDirectory::entries(m_directory.programDir()), std::vector<std::string>{"tintora"});
        EXPECT_TRUE(ProgramDirectory::entries(m_directory.runtimeDir()).empty());
        EXPECT_TRUE(ProgramDirectory::entries(m_directory.configDir()).empty());
    }

    Xvfb m_server;
    ProgramDirectory m_directory;
};

} // namespace

TEST_F(Probe, linesAndJsonForEachPoint)
{
    SolidWindow orange(m_server, {200, 200, 200, 200}, {200, 100, 0});
    SolidWindow grey(m_server, {600, 200, 100, 100}, {8, 128, 255});
    ASSERT_TRUE(orange.shown() && grey.shown());
    ASSERT_TRUE(m_server.warpPointer({1000, 900}));

    // red 200 * 257 = 51400 reads 201 (C9); green 100 * 257 / 2 = 12850
    // reads 50 (32); blue 0 reads 0. Blue 255 * 256 = 65280 reads 255.
    const Outcome lines = run({"--at", "300,300", "--at=650,250"});
    EXPECT_EQ(lines.status, 0) << lines.err;
    EXPECT_EQ(lines.out, "300 300 bitmap C86400 lut C93200 ramp 51400 12850 0 output screen\n"
                         "650 250 bitmap 0880FF lut 0840FF ramp 2056 16448 65280 output screen\n");
    EXPECT_EQ(lines.err, "");

    const Outcome json = run({"--json", "--at", "300,300"});
    EXPECT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out, R"({"x":300,"y":300,"bitmap":"C86400","lut":"C93200","ramp":[51400,12850,0],)"
                        R"("output":"screen","rampSize":256,"identity":false,)"
                        R"("profile":null,"calibration":null,"lab":null,"seenLab":null,"deltaE":null})"
                        "\n");

    // A point no monitor shows still gets its line, and a warning.
    const Outcome off = run({"--at", "-5,10", "--at", "300,300"});
    EXPECT_EQ(off.status, 0);
    EXPECT_EQ(off.out, "-5 10 bitmap none lut none\n"
                       "300 300 bitmap C86400 lut C93200 ramp 51400 12850 0 output screen\n");
    EXPECT_EQ(off.err, "tintora: no monitor shows the point -5,10.\n");

    expectNothingWritten();
    EXPECT_FALSE(m_server.findTopLevel("Tintora")) << "the probe showed a window";
}

TEST_F(Probe, identityRampIsReportedAsSuch)
{
    ASSERT_TRUE(loadIdentityRamp(m_server));
    const Outcome json = run({"--json", "--at", "10,10"});
    EXPECT_EQ(json.status, 0) << json.err;
    EXPECT_NE(json.out.find(R"("rampSize":256,"identity":true,)"), std::string::npos) << json.out;
}

TEST_F(Probe, lutPrintsEveryLevelOfTheRamp)
{
    const Outcome csv = run({"--lut"});
    EXPECT_EQ(csv.status, 0) << csv.err;
    std::istringstream in(csv.out);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 257u) << csv.out.substr(0, 200);
    EXPECT_EQ(lines[0], "output,level,red,green,blue");
    const RampTable r = redTable(), g = greenTable(), b = blueTable();
    for (std::size_t level = 0; level < 256; ++level)
        ASSERT_EQ(lines[level + 1], "screen," + std::to_string(level) + "," + std::to_string(r[level]) + "," +
                                        std::to_string(g[level]) + "," + std::to_string(b[level]));
    expectNothingWritten();
}

// A profile published but refused unread, larger than 4 MiB or an empty
// property, is no "profile none": --profile says it is unreadable and why,
// with its size and where it was found.
TEST_F(Probe, refusedProfilesAreUnreadableNotNone)
{
    const std::string line = "monitor 0 \"screen\" 1920x1080 at 0,0 output screen profile ";
    const struct {
        ProfileProperty property;
        std::vector<std::uint8_t> bytes;
        std::string words;
    } cases[] = {
        {{"_ICC_PROFILE", "screen"}, std::vector<std::uint8_t>(4 * 1024 * 1024 + 1, 'x'),
         "unreadable \"The display profile is larger than 4 MiB.\" bytes 4194305 "
         "source \"output property _ICC_PROFILE\""},
        {{"_ICC_PROFILE", ""}, {},
         "unreadable \"The display profile property is empty.\" bytes 0 source \"root property _ICC_PROFILE\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.words);
        ASSERT_TRUE(publishProfileProperty(m_server, c.property, c.bytes));
        const Outcome listed = run({"--profile"});
        EXPECT_EQ(listed.status, 0) << listed.err;
        EXPECT_EQ(listed.out, line + c.words + "\n");
        EXPECT_EQ(listed.err, "");
        ASSERT_TRUE(removeProfileProperty(m_server, c.property));
    }
    EXPECT_EQ(run({"--profile"}).out, line + "none\n");
}

TEST_F(Probe, malformedOptionsExitTwoWithTheUsage)
{
    const struct {
        std::vector<std::string> args;
        const char* firstLine;
    } cases[] = {
        {{"--at", "300"}, "tintora: --at needs X,Y, two whole numbers such as 300,300, not \"300\""},
        {{"--at", "x,y"}, "tintora: --at needs X,Y, two whole numbers such as 300,300, not \"x,y\""},
        {{"--frobnicate"}, "tintora: unknown option --frobnicate"},
        {{"--at", "300,300", "extra"}, "tintora: unknown argument \"extra\""},
        {{"--lut", "-x", "100", "extra"}, "tintora: unknown argument \"extra\""},
        // Checked before the display is opened: a GUI start would not end.
        {{"-x", "100", "--lut=1"}, "tintora: --lut takes no value"},
        {{"--profile", "--at", "1,1"}, "tintora: --profile and --at cannot be combined"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.firstLine);
        const Outcome o = run(c.args);
        EXPECT_EQ(o.status, 2);
        EXPECT_EQ(o.out, "");
        EXPECT_EQ(o.err.substr(0, o.err.find('\n')), c.firstLine);
        EXPECT_NE(o.err.find("\nUsage: tintora [-x LEFT] [-y TOP] [--pick]\n"), std::string::npos) << o.err;
    }
    expectNothingWritten();
}

TEST_F(Probe, withoutAnXDisplayExitOne)
{
    const struct {
        std::map<std::string, std::optional<std::string>> env;
        const char* says;
    } cases[] = {
        {{{"DISPLAY", std::nullopt}}, "$DISPLAY is not set"},
        {{{"DISPLAY", ":98765"}}, "Cannot open the X11 display \":98765\""},
        // A Wayland display named, but no compositor behind it.
        {{{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", "tintora-no-compositor"}}, "Cannot reach the Wayland display"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        for (const auto& args : {std::vector<std::string>{"--at", "1,1"}, std::vector<std::string>{"--lut"},
                                 std::vector<std::string>{"--profile"}}) {
            const Outcome o = run(args, c.env);
            EXPECT_EQ(o.status, 1);
            EXPECT_EQ(o.out, "");
            EXPECT_EQ(o.err.rfind("tintora: ", 0), 0u) << o.err;
            EXPECT_NE(o.err.find(c.says), std::string::npos) << o.err;
        }
    }
}

// A report that cannot be written is a failure, said once: into a full
// device, or into a pipe whose reader has gone (SIGPIPE ignored, as a shell
// script may have it, so the write itself fails).
TEST_F(Probe, unwritableOutputExitsOneWithOneMessage)
{
    const struct {
        std::vector<std::string> args;
        const char* what;
    } cases[] = {
        {{"--at", "300,300"}, "the report"},
        {{"--json", "--at", "300,300", "--at", "-5,10"}, "the report"},
        {{"--lut"}, "the report"},
        {{"--profile"}, "the report"},
        {{"--help"}, "the usage"},
        {{"--version"}, "the version"},
    };
    const struct {
        const char* name;
        std::string outputPath;
        StreamFaults streams;
        int reason;
    } sinks[] = {
        {"/dev/full", "/dev/full", {}, ENOSPC},
        {"closed pipe", {}, StreamFaults{{}, true}, EPIPE},
    };
    for (const auto& sink : sinks) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(sink.name) + ": " + c.args.front());
            const Outcome o = run(RunningProgram::Launch{c.args, {}, sink.outputPath, sink.streams});
            EXPECT_EQ(o.status, 1) << o.err;
            EXPECT_EQ(o.err, std::string("tintora: ") + c.what + " could not be written: " + std::strerror(sink.reason) + "\n");
        }
    }
    expectNothingWritten();
}

// Started without some of its standard streams (`tintora --at 1,1 >&-`), the
// probe must not lend their numbers to the display connection: its report or
// warning would go into the connection as requests, and the program hang.
// Without its standard output the report is not delivered, which is a
// failure: said on standard error where there is one, told by the status
// always.
TEST_F(Probe, closedStandardStreamsAreNotLentToTheDisplay)
{
    SolidWindow orange(m_server, {200, 200, 200, 200}, {200, 100, 0});
    ASSERT_TRUE(orange.shown());
    const std::string lines = "300 300 bitmap C86400 lut C93200 ramp 51400 12850 0 output screen\n"
                              "-5 10 bitmap none lut none\n"
                              "300 300 bitmap C86400 lut C93200 ramp 51400 12850 0 output screen\n";
    const std::string warning = "tintora: no monitor shows the point -5,10.\n";
    const std::string undelivered = std::string("tintora: the report could not be written: ") + std::strerror(EBADF) + "\n";
    const struct {
        std::vector<int> closed;
        int status;
        std::string out, err;
    } cases[] = {
        {{1}, 1, "", undelivered},
        {{2}, 0, lines, ""},
        {{0}, 0, lines, warning},
        {{1, 2}, 1, "", ""},
        {{0, 1, 2}, 1, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.closed));
        const Outcome o = run(RunningProgram::Launch{
            {"--at", "300,300", "--at", "-5,10", "--at", "300,300"}, {}, {}, StreamFaults{c.closed, false}});
        EXPECT_EQ(o.status, c.status) << "did not end in time, or ended otherwise; stderr: " << o.err;
        EXPECT_EQ(o.out, c.out);
        EXPECT_EQ(o.err, c.err);
    }
}

// Every answer written on a closed standard output fails the same way.
TEST_F(Probe, everyAnswerFailsOnAClosedOutput)
{
    const struct {
        std::vector<std::string> args;
        const char* what;
    } cases[] = {
        {{"--json", "--at", "300,300"}, "the report"},
        {{"--lut"}, "the report"},
        {{"--profile"}, "the report"},
        {{"--help"}, "the usage"},
        {{"--version"}, "the version"},
    };
    for (const auto& c : cases) {
        for (const std::vector<int>& closed : {std::vector<int>{1}, std::vector<int>{1, 2}}) {
            SCOPED_TRACE(c.args.front() + " with " + ::testing::PrintToString(closed) + " closed");
            const Outcome o = run(RunningProgram::Launch{c.args, {}, {}, StreamFaults{closed, false}});
            EXPECT_EQ(o.status, 1) << o.err;
            EXPECT_EQ(o.err, closed.size() == 1 ? std::string("tintora: ") + c.what +
                                                      " could not be written: " + std::strerror(EBADF) + "\n"
                                                : "");
        }
    }
    expectNothingWritten();
}

namespace {

// A display profile on the private server as a calibrated desktop has it:
// the sRGB reference with ArgyllCMS's "strange" calibration as its vcgt,
// published and its calibration loaded by dispwin, whose own settings go to a
// HOME of the test's.
class ProbeWithDispwin : public Probe {
protected:
    using Probe::Probe;

    void SetUp() override
    {
        Probe::SetUp();
        ASSERT_FALSE(m_home.path().empty());
        const std::string ref = "/usr/share/color/argyll/ref/";
        const Outcome made = tool("iccvcgt", {"-i", ref + "sRGB.icm", ref + "strange.cal", profilePath()});
        ASSERT_EQ(made.status, 0) << made.out << made.err;
    }

    Outcome tool(const std::string& name, const std::vector<std::string>& args)
    {
        const TempFile out, err;
        ChildProcess child(name, args,
                           m_server.clientEnvironment({{"HOME", m_home.path()},
                                                       {"XDG_CONFIG_HOME", m_home.file(".config")}}),
                           err.path(), out.path());
        EXPECT_TRUE(child.pid()) << child.error();
        Outcome outcome;
        const auto status = child.waitForExit(ExitTimeout);
        if (status && WIFEXITED(*status)) outcome.status = WEXITSTATUS(*status);
        outcome.out = out.contents();
        outcome.err = err.contents();
        return outcome;
    }

    // dispwin's answer: whether the profile's calibration is loaded.
    bool dispwinSaysLoaded()
    {
        const Outcome verified = tool("dispwin", {"-V", profilePath()});
        EXPECT_EQ(verified.status, 0) << verified.err;
        const bool loaded = verified.out.find("IS loaded") != std::string::npos;
        EXPECT_TRUE(loaded || verified.out.find("is NOT loaded") != std::string::npos) << verified.out;
        return loaded;
    }

    std::string profilePath() const { return m_home.file("calibrated.icc"); }

    TempDir m_home{"tintora-dispwin"};
};

} // namespace

// The program's word on the calibration agrees with dispwin's in each state:
// nothing published, published and loaded (dispwin -I), the straight ramp
// loaded over it (dispwin -c), the profile taken away (dispwin -U).
TEST_F(ProbeWithDispwin, calibrationAgreesWithDispwin)
{
    SolidWindow orange(m_server, {200, 200, 200, 200}, {200, 100, 0});
    ASSERT_TRUE(orange.shown());
    const std::string description = "\"sRGB IEC61966-2.1 (Equivalent to www.srgb.com 1998 HP profile)\"";
    const std::string size = std::to_string(readAll(profilePath()).size());
    // Xvfb's one output is its one monitor.
    const std::string OnlyMonitor = "monitor 0 \"screen\" 1920x1080 at 0,0 ";

    const Outcome none = run({"--profile"});
    EXPECT_EQ(none.status, 0) << none.err;
    EXPECT_EQ(none.out, OnlyMonitor + "output screen profile none\n");
    EXPECT_EQ(run({"--at", "300,300"}).out, "300 300 bitmap C86400 lut C93200 ramp 51400 12850 0 output screen\n");

    ASSERT_EQ(tool("dispwin", {"-I", profilePath()}).status, 0);
    const bool loaded = dispwinSaysLoaded();
    EXPECT_TRUE(loaded) << "dispwin -I loads the calibration";
    const Outcome published = run({"--profile"});
    EXPECT_EQ(published.status, 0) << published.err;
    EXPECT_EQ(published.out, OnlyMonitor + "output screen profile " + description + " bytes " + size +
                                 " vcgt yes calibration loaded source \"output property _ICC_PROFILE\"\n");
    // Under the calibration it expects, the colour is seen as intended:
    // sRGB's C86400 (xicclu gives Lab 54.0 37.4 62.4).
    const Outcome at = run({"--at", "300,300"});
    EXPECT_NE(at.out.find(" output screen profile " + description +
                          " calibration loaded lab 54.0 37.4 62.4 seen 54.0 37.4 62.4 de 0.0\n"),
              std::string::npos)
        << at.out;
    const Outcome json = run({"--json", "--at", "300,300"});
    EXPECT_NE(json.out.find(R"("calibration":"loaded","lab":[54.0,37.4,62.4],"seenLab":[54.0,37.4,62.4],"deltaE":0.0})"),
              std::string::npos)
        << json.out;

    // The straight ramp goes beyond strange.cal's range (its red tops out
    // at 0.7): lost, and what is seen cannot be told.
    ASSERT_EQ(tool("dispwin", {"-c"}).status, 0);
    EXPECT_FALSE(dispwinSaysLoaded());
    const Outcome lost = run({"--profile"});
    EXPECT_EQ(lost.out.rfind(OnlyMonitor + "output screen profile " + description + " bytes " + size + " vcgt yes calibration lost difference ", 0),
              0u)
        << lost.out;
    EXPECT_NE(run({"--at", "300,300"}).out.find(" calibration lost lab 54.0 37.4 62.4 seen none de none\n"),
              std::string::npos);
    EXPECT_NE(run({"--json", "--at", "300,300"}).out.find(R"("calibration":"lost","lab":[54.0,37.4,62.4],"seenLab":null,"deltaE":null})"),
              std::string::npos);

    ASSERT_EQ(tool("dispwin", {"-U"}).status, 0);
    EXPECT_EQ(run({"--profile"}).out, OnlyMonitor + "output screen profile none\n");
    expectNothingWritten();
}

namespace {

// Two display profiles told apart by their descriptions.
test::ProfileBytes describedProfile(const wchar_t* description)
{
    test::TestProfile profile;
    profile.description = description;
    return test::displayProfileBytes(profile);
}

// The --at arguments for the points, in order.
std::vector<std::string> atArguments(const std::vector<std::string>& points, bool json = false)
{
    std::vector<std::string> args;
    if (json) args.push_back("--json");
    for (const std::string& p : points) {
        args.push_back("--at");
        args.push_back(p);
    }
    return args;
}

// The lines of the text, without their ends.
std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Whether text begins with start and ends with end.
::testing::AssertionResult framedBy(const std::string& text, const std::string& start, const std::string& end)
{
    if (text.starts_with(start) && text.ends_with(end)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "\"" << text << "\" is not \"" << start << "...\" ending in \"" << end
                                         << "\"";
}

// Xvfb's one output split into two RandR monitors, "left" made of the output
// and "right" of none, each with a profile on the root: the first screen's
// _ICC_PROFILE and the second's _ICC_PROFILE_1.
class ProbeOnSplitOutput : public Probe {
protected:
    void SetUp() override
    {
        Probe::SetUp();
        ASSERT_TRUE(m_server.runClient("xrandr", {"--setmonitor", "left", "960/254x1080/286+0+0", "screen"}));
        ASSERT_TRUE(m_server.runClient("xrandr", {"--setmonitor", "right", "960/254x1080/286+960+0", "none"}));
        ASSERT_TRUE(publishProfileProperty(m_server, {"_ICC_PROFILE", ""}, m_left));
        ASSERT_TRUE(publishProfileProperty(m_server, {"_ICC_PROFILE_1", ""}, m_right));
    }

    const test::ProfileBytes m_left = describedProfile(L"Left desk");
    const test::ProfileBytes m_right = describedProfile(L"Right desk");
};

} // namespace

// Each point has its monitor's profile, alone, with the other point, in
// either order, in lines and in JSON; --profile names the same for each
// monitor.
TEST_F(ProbeOnSplitOutput, eachPointHasItsMonitorsProfileHoweverItIsAsked)
{
    const std::string left = "100,50", right = "1500,50";
    const std::map<std::string, std::string> description = {{left, "\"Left desk\""}, {right, "\"Right desk\""}};
    std::map<std::string, std::set<std::string>> answers; // every line each point got
    for (const bool json : {false, true})
        for (const std::vector<std::string>& points :
             std::vector<std::vector<std::string>>{{left}, {right}, {left, right}, {right, left}, {right, left, right}}) {
            const Outcome o = run(atArguments(points, json));
            ASSERT_EQ(o.status, 0) << o.err;
            EXPECT_EQ(o.err, "");
            const std::vector<std::string> lines = linesOf(o.out);
            ASSERT_EQ(lines.size(), points.size()) << o.out;
            for (std::size_t i = 0; i < points.size(); ++i) {
                answers[points[i] + (json ? " json" : "")].insert(lines[i]);
                const std::string said = json ? "\"profile\":" + description.at(points[i]) + ","
                                              : " output screen profile " + description.at(points[i]) + " ";
                EXPECT_NE(lines[i].find(said), std::string::npos) << lines[i];
            }
        }
    for (const auto& [point, lines] : answers) EXPECT_EQ(lines.size(), 1u) << point << " got different answers";

    const Outcome listed = run({"--profile"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    const std::vector<std::string> lines = linesOf(listed.out);
    ASSERT_EQ(lines.size(), 2u) << listed.out;
    EXPECT_TRUE(framedBy(lines[0],
                         "monitor 0 \"left\" 960x1080 at 0,0 output screen profile \"Left desk\" bytes " +
                             std::to_string(m_left.size()) + " vcgt no calibration ",
                         " source \"root property _ICC_PROFILE\""));
    EXPECT_TRUE(framedBy(lines[1],
                         "monitor 1 \"right\" 960x1080 at 960,0 output screen profile \"Right desk\" bytes " +
                             std::to_string(m_right.size()) + " vcgt no calibration ",
                         " source \"root property _ICC_PROFILE_1\""));
    expectNothingWritten();
}

namespace {

// Xorg with the dummy driver and its second output on: two outputs, two
// CRTCs, the monitors the server makes of them. ArgyllCMS's dispwin sees the
// same two displays and publishes a profile for each.
class ProbeOnTwoOutputs : public ProbeWithDispwin {
protected:
    ProbeOnTwoOutputs() : ProbeWithDispwin(xorgDummy()) {}

    static Xvfb::Options xorgDummy()
    {
        Xvfb::Options options;
        options.xorgConfig = TINTORA_XORG_DUMMY_CONFIG;
        options.width = 1024;
        options.height = 768;
        return options;
    }

    void SetUp() override
    {
        ASSERT_TRUE(m_server.running()) << m_server.error();
        ASSERT_TRUE(m_directory.error().empty()) << m_directory.error();
        ASSERT_FALSE(m_home.path().empty());
        ASSERT_TRUE(m_server.runClient("xrandr", {"--addmode", "DUMMY1", "1024x768"}));
        ASSERT_TRUE(m_server.runClient(
            "xrandr", {"--fb", "2048x768", "--output", "DUMMY1", "--mode", "1024x768", "--pos", "1024x0"}));
        // The dummy driver calls the output connected only once its outputs
        // were probed again, as a plain xrandr does; dispwin, which probes
        // too, leaves out an output it finds disconnected.
        ASSERT_TRUE(m_server.runClient("xrandr", {}));
        ASSERT_TRUE(test::writeProfileFile(m_home.file("left.icc"), m_left));
        ASSERT_TRUE(test::writeProfileFile(m_home.file("right.icc"), m_right));
    }

    // What dispwin's own list of displays says of each, as --profile's lines
    // begin for it: 'monitor 0 "DUMMY0" 1024x768 at 0,0 output DUMMY0'.
    std::vector<std::string> dispwinsDisplays()
    {
        const Outcome usage = tool("dispwin", {"-?"});
        const std::regex display(R"(^ +([0-9]+) = 'Monitor [0-9]+, Output (\S+) at (-?[0-9]+), (-?[0-9]+), width ([0-9]+), height ([0-9]+)'$)");
        std::vector<std::string> displays;
        for (const std::string& line : linesOf(usage.out + usage.err)) {
            std::smatch m;
            if (!std::regex_match(line, m, display)) continue;
            EXPECT_EQ(std::stoul(m[1]), displays.size() + 1) << line;
            displays.push_back("monitor " + std::to_string(displays.size()) + " \"" + m[2].str() + "\" " + m[5].str() +
                               "x" + m[6].str() + " at " + m[3].str() + "," + m[4].str() + " output " + m[2].str());
        }
        return displays;
    }

    const test::ProfileBytes m_left = describedProfile(L"Left desk");
    const test::ProfileBytes m_right = describedProfile(L"Right desk");
};

} // namespace

// dispwin -d n installs a profile for its n-th display: the output's property
// and the root's _ICC_PROFILE_(n-1). Tintora numbers the monitors as dispwin
// numbers its displays, and each point reads the same however it is asked,
// also once the output properties are gone and the root's alone are left, and
// after the primary output changes (which renumbers them for both).
TEST_F(ProbeOnTwoOutputs, monitorsAreNumberedAsDispwinNumbersDisplays)
{
    for (const auto& [display, file] : {std::pair{"1", "left.icc"}, std::pair{"2", "right.icc"}}) {
        const Outcome installed = tool("dispwin", {"-d", display, "-I", m_home.file(file)});
        ASSERT_EQ(installed.status, 0) << installed.out << installed.err;
    }

    struct Expected {
        std::string left, right; // the descriptions at the two points
        std::vector<std::string> sources; // of --profile's lines
    };
    const auto check = [&](const Expected& e) {
        const std::vector<std::string> displays = dispwinsDisplays();
        ASSERT_EQ(displays.size(), 2u);
        const Outcome listed = run({"--profile"});
        ASSERT_EQ(listed.status, 0) << listed.err;
        const std::vector<std::string> lines = linesOf(listed.out);
        ASSERT_EQ(lines.size(), 2u) << listed.out;
        for (std::size_t i = 0; i < 2; ++i) {
            EXPECT_TRUE(lines[i].starts_with(displays[i] + " profile ")) << lines[i] << "\ndispwin: " << displays[i];
            EXPECT_TRUE(lines[i].ends_with(" source \"" + e.sources[i] + "\"")) << lines[i];
        }
        const std::string left = "100,100", right = "1500,100";
        const std::map<std::string, std::string> description = {{left, e.left}, {right, e.right}};
        for (const std::vector<std::string>& points :
             std::vector<std::vector<std::string>>{{left}, {right}, {left, right}, {right, left}}) {
            const Outcome o = run(atArguments(points));
            ASSERT_EQ(o.status, 0) << o.err;
            const std::vector<std::string> at = linesOf(o.out);
            ASSERT_EQ(at.size(), points.size()) << o.out;
            for (std::size_t i = 0; i < points.size(); ++i)
                EXPECT_NE(at[i].find(" profile \"" + description.at(points[i]) + "\" "), std::string::npos) << at[i];
        }
    };
    {
        SCOPED_TRACE("as dispwin installed them");
        check({"Left desk", "Right desk", {"output property _ICC_PROFILE", "output property _ICC_PROFILE"}});
    }
    for (const char* output : {"DUMMY0", "DUMMY1"})
        ASSERT_TRUE(removeProfileProperty(m_server, {"_ICC_PROFILE", output}));
    {
        SCOPED_TRACE("the root's alone");
        check({"Left desk", "Right desk", {"root property _ICC_PROFILE", "root property _ICC_PROFILE_1"}});
    }
    // DUMMY1 primary: the first screen now, for the server, for dispwin and
    // for Tintora, and the root's properties go by number.
    ASSERT_TRUE(m_server.runClient("xrandr", {"--output", "DUMMY1", "--primary"}));
    {
        SCOPED_TRACE("the second output primary");
        check({"Right desk", "Left desk", {"root property _ICC_PROFILE", "root property _ICC_PROFILE_1"}});
    }
    expectNothingWritten();
}
