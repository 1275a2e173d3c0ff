#include <gtest/gtest.h>

#include <limits>

#include "core/command_line.h"

using namespace tintora;

TEST(PositionNumber, formsAndFallbacks)
{
    const struct {
        const char* text;
        std::int32_t value;
    } cases[] = {
        {"100", 100},     {"+100", 100},    {"-20", -20},   {"  42\t", 42}, {"$64", 100},  {"x64", 100},
        {"X1f", 31},      {"0x10", 16},     {"0X10", 16},   {"-$10", -16},  {"150px", 150}, {"-20px", 20},
        {"12abc", 12},    {"", 0},          {"abc", 0},     {"-", 0},       {"$", 0},      {"1 2", 1},
        {"2147483647", 2147483647},         {"-2147483648", std::numeric_limits<std::int32_t>::min()},
        {"$FFFFFFFF", -1},
        // Past the 32-bit range: the nearest value of the range.
        {"99999999999", 2147483647},        {"-99999999999", std::numeric_limits<std::int32_t>::min()},
    };
    for (const auto& c : cases) EXPECT_EQ(positionNumber(c.text), c.value) << "'" << c.text << "'";
}

TEST(StartPositionOptions, argumentsTable)
{
    using Args = std::vector<std::string>;
    const struct {
        Args args;
        StartPosition pos;
    } cases[] = {
        {{"-x", "100", "-y", "200"}, {100, 200}},
        {{"-X", "100"}, {100, 0}},
        {{"-Y"}, {0, 0}},
        {{"-X", "-Y", "40"}, {0, 40}},
        {{"-Xpos", "100"}, {0, 0}},
        {{"-Yfoo", "50"}, {0, 50}},
        {{"-yes", "7"}, {0, 7}},
        {{"-Y5", "9"}, {0, 9}},
        {{"-X", "12abc"}, {12, 0}},
        {{"-X", "$64"}, {100, 0}},
        {{"  -x ", " 30 "}, {30, 0}},
        {{"-X", "1", "-X", "2"}, {2, 0}},
        {{"hello"}, {0, 0}},
    };
    for (const auto& c : cases) {
        const auto pos = parseStartPosition(c.args);
        ASSERT_TRUE(pos.has_value());
        EXPECT_EQ(*pos, c.pos) << ::testing::PrintToString(c.args);
    }
    EXPECT_FALSE(parseStartPosition({}).has_value());
}
