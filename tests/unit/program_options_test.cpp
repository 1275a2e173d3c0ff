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
    for (const char* option : {"-x LEFT", "-y TOP", "--help", "--version"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
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
        const auto text = requestedInformation(c.args);
        switch (c.answer) {
        case Starts: EXPECT_FALSE(text.has_value()); break;
        case Help: EXPECT_EQ(text, usageText()); break;
        case Version: EXPECT_EQ(text, versionLine()); break;
        }
    }
}
