#include <gtest/gtest.h>

#include "core/program_options.h"

using namespace tintora;

TEST(ProgramOptions, versionIsTheProjectVersion)
{
    EXPECT_EQ(versionLine(), std::string("Tintora ") + TINTORA_PROJECT_VERSION + "\n");
}

TEST(ProgramOptions, usageNamesEveryOption)
{
    const std::string usage = usageText();
    for (const char* option : {"\n  -x LEFT ", "\n  -y TOP ", "\n  --at X,Y ", "\n  --json ", "\n  --lut ",
                               "\n  --profile ", "\n  --pick ", "\n  --help ", "\n  --version "})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    // Every line fits a terminal of 80 columns.
    std::size_t start = 0;
    for (std::size_t end; (end = usage.find('\n', start)) != std::string::npos; start = end + 1)
        EXPECT_LE(end - start, 80u) << usage.substr(start, end - start);
    EXPECT_EQ(usage.rfind("Usage: tintora ", 0), 0u);
    EXPECT_EQ(usage.back(), '\n');
}

TEST(ProgramOptions, helpAndVersionAnswerBeforeAnythingStarts)
{
    enum Answer { Starts, Help, Version };
    using Args = std::vector<std::string>;
    const struct {
        Args args;
        Answer answer;
    } cases[] = {
        {{}, Starts},
        {{"--help"}, Help},
        {{"--version"}, Version},
        // Anywhere on the line, the first of the two wins.
        {{"-x", "100", "--help"}, Help},
        {{"--version", "--help"}, Version},
        {{"--help", "--version"}, Help},
        // Only the exact words: anything else is left to the position options.
        {{"-x", "100", "-y", "200"}, Starts},
        {{"-help"}, Starts},
        {{"--HELP"}, Starts},
        {{"--versions"}, Starts},
        {{"-v"}, Starts},
        {{"--help=all"}, Starts},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        const auto information = requestedInformation(c.args);
        const std::optional<std::string> text = information ? std::optional(information->text) : std::nullopt;
        switch (c.answer) {
        case Starts: EXPECT_FALSE(text.has_value()); break;
        case Help: EXPECT_EQ(text, usageText()); break;
        case Version: EXPECT_EQ(text, versionLine()); break;
        }
    }
}

namespace {

struct Parsed {
    std::vector<Point> points;
    bool json = false;
    bool lut = false;
    std::vector<std::string> positionArgs;
    bool profiles = false;
    bool pick = false;
};

} // namespace

TEST(ProgramOptions, acceptedCommandLines)
{
    const struct {
        std::vector<std::string> args;
        Parsed expected;
    } cases[] = {
        {{}, {}},
        {{"-x", "100", "-y", "200"}, {{}, false, false, {"-x", "100", "-y", "200"}}},
        // A single dash is never ours, whatever follows it.
        {{"-at", "1,2", "-Xpos"}, {{}, false, false, {"-at", "1,2", "-Xpos"}}},
        {{"--at", "300,300"}, {{{300, 300}}, false, false, {}}},
        {{"--at=-5,-1080", "--at", "0,0"}, {{{-5, -1080}, {0, 0}}, false, false, {}}},
        {{"--json", "--at", "1,2", "--at", "3,4"}, {{{1, 2}, {3, 4}}, true, false, {}}},
        {{"--lut"}, {{}, false, true, {}}},
        {{"--profile", "-x", "5"}, {{}, false, false, {"-x", "5"}, true}},
        {{"--pick", "-x", "5"}, {{}, false, false, {"-x", "5"}, false, true}},
        // Answered before the parsing, but options like the others.
        {{"--help", "--version"}, {}},
        {{"-x", "7", "--at", "2147483647,-2147483648", "-y"},
         {{{2147483647, -2147483647 - 1}}, false, false, {"-x", "7", "-y"}}},
        // The position options and their values are known words to the probe
        // too, as the start-position parser reads them (in capitals, blanks
        // around, "-Y" as a prefix), and left for it.
        {{"--lut", " -X\t", "5", "-ytop", "7"}, {{}, false, true, {" -X\t", "5", "-ytop", "7"}}},
    };
    for (const auto& c : cases) {
        std::string line;
        for (const auto& a : c.args) line += " " + a;
        SCOPED_TRACE("tintora" + line);
        const auto parsed = parseProgramOptions(c.args);
        ASSERT_TRUE(std::holds_alternative<ProgramOptions>(parsed)) << std::get<OptionError>(parsed).message;
        const ProgramOptions& o = std::get<ProgramOptions>(parsed);
        EXPECT_EQ(o.probePoints, c.expected.points);
        EXPECT_EQ(o.json, c.expected.json);
        EXPECT_EQ(o.lutTable, c.expected.lut);
        EXPECT_EQ(o.positionArgs, c.expected.positionArgs);
        EXPECT_EQ(o.profiles, c.expected.profiles);
        EXPECT_EQ(o.pick, c.expected.pick);
        EXPECT_EQ(o.probing(), !c.expected.points.empty() || c.expected.lut || c.expected.profiles);
    }
}

TEST(ProgramOptions, malformedCommandLinesSayWhy)
{
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"--at", "300"}, "--at needs X,Y, two whole numbers such as 300,300, not \"300\""},
        {{"--at", "x,y"}, "--at needs X,Y, two whole numbers such as 300,300, not \"x,y\""},
        {{"--at", "1,2,3"}, "--at needs X,Y, two whole numbers such as 300,300, not \"1,2,3\""},
        {{"--at", "+1,2"}, "--at needs X,Y, two whole numbers such as 300,300, not \"+1,2\""},
        {{"--at", "1.5,2"}, "--at needs X,Y, two whole numbers such as 300,300, not \"1.5,2\""},
        {{"--at", " 1,2"}, "--at needs X,Y, two whole numbers such as 300,300, not \" 1,2\""},
        {{"--at", "2147483648,0"}, "--at needs X,Y, two whole numbers such as 300,300, not \"2147483648,0\""},
        {{"--at="}, "--at needs X,Y, two whole numbers such as 300,300, not \"\""},
        {{"--at"}, "--at needs X,Y"},
        {{"--colour"}, "unknown option --colour"},
        {{"--"}, "unknown option --"},
        {{"--AT", "1,2"}, "unknown option --AT"},
        {{"--json=1", "--at", "1,2"}, "--json takes no value"},
        {{"--help=all"}, "--help takes no value"},
        {{"--json"}, "--json goes with --at"},
        {{"--lut", "--at", "1,2"}, "--lut and --at cannot be combined"},
        {{"--at", "1,2", "--profile"}, "--profile and --at cannot be combined"},
        {{"--profile", "--lut"}, "--profile and --lut cannot be combined"},
        {{"--profile", "--json"}, "--json goes with --at"},
        {{"--profile=all"}, "--profile takes no value"},
        {{"--profile", "extra"}, "unknown argument \"extra\""},
        {{"--pick=yes"}, "--pick takes no value"},
        {{"--lut", "--pick"}, "--pick opens the windows: it cannot be combined with --at, --lut or --profile"},
        {{"--pick", "--at", "1,2"}, "--pick opens the windows: it cannot be combined with --at, --lut or --profile"},
        // The probe reads nothing but its options and the window's position
        // options (which it has no use for); the first other word is named.
        {{"--at", "1,2", "extra"}, "unknown argument \"extra\""},
        {{"extra", "more", "--json", "--at=1,2"}, "unknown argument \"extra\""},
        {{"--lut", "-x", "100", "1,2"}, "unknown argument \"1,2\""},
        {{"--lut", "-Xpos", "1"}, "unknown argument \"-Xpos\""},
        {{"--at", "1,2", ""}, "unknown argument \"\""},
    };
    for (const auto& c : cases) {
        std::string line;
        for (const auto& a : c.args) line += " " + a;
        SCOPED_TRACE("tintora" + line);
        const auto parsed = parseProgramOptions(c.args);
        ASSERT_TRUE(std::holds_alternative<OptionError>(parsed));
        EXPECT_EQ(std::get<OptionError>(parsed).message, c.message);
    }
}
