#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

#include "settings/settings_values.h"

using namespace tintora;

TEST(SettingsBool, wholeNumbersOnly)
{
    const std::optional<bool> none;
    const struct {
        const char* text;
        std::optional<bool> value;
    } cases[] = {
        {"1", true},           {"0", false},          {"2", true},           {"-1", true},
        {"+0", false},         {"-0", false},         {"01", true},          {" 1 ", true},
        {"\t0\r", false},      {"0x1", true},         {"0X0", false},        {"x1F", true},
        {"X0", false},         {"$ff", true},         {"$0", false},         {"-$10", true},
        {"2147483647", true},  {"-2147483648", true}, {"$FFFFFFFF", true},   {"000000000000000000000", false},
        // Not a whole number: the caller's default.
        {"", none},            {"true", none},        {"yes", none},         {"1.0", none},
        {"1 a", none},         {"1a", none},          {"- 1", none},         {"-", none},
        {"+", none},           {"$", none},           {"0x", none},          {"x", none},
        {"0xG", none},         {"$-1", none},         {"1e1", none},         {"0b1", none},
        // Past 32 bits.
        {"2147483648", none},  {"-2147483649", none}, {"$100000000", none},  {"99999999999999999999", none},
    };
    for (const auto& c : cases) EXPECT_EQ(readBool(c.text), c.value) << "'" << c.text << "'";

    EXPECT_EQ(writeBool(true), "1");
    EXPECT_EQ(writeBool(false), "0");
}

TEST(SettingsZoom, readUnderEitherSeparator)
{
    const std::optional<double> none;
    const struct {
        const char* text;
        const char* separator;
        std::optional<double> value;
    } cases[] = {
        {"2.5", ".", 2.5},
        {"2.5", ",", none},
        {"2,5", ",", 2.5},
        {"2,5", ".", none},
        {"0,5", ",", 0.5},
        {"0,5", ".", none},
        {"8", ",", 8.0},
        {" 8 ", ".", 8.0},
        {"\t8\r", ",", 8.0},
        {"1E1", ".", 10.0},
        {"1e1", ",", 10.0},
        {"1E+2", ".", 100.0},
        {"1,5E-1", ",", 0.15},
        {"+4", ".", 4.0},
        {"-3", ".", -3.0},
        {"0", ".", 0.0},
        {"2\xD9\xAB" "5", "\xD9\xAB", 2.5}, // a separator of more than one byte
        {"", ".", none},
        {"abc", ".", none},
        {"nan", ".", none},
        {"inf", ".", none},
        {"0x10", ".", none},
        {"2.", ".", none},
        {".5", ".", none},
        {",5", ",", none},
        {"1E", ".", none},
        {"1E+", ".", none},
        {"E1", ".", none},
        {"1 5", ".", none},
        {"1.0.0", ".", none},
        {"1,000.5", ".", none},
        {"8x", ".", none},
        {"--1", ".", none},
        {"1e400", ".", none}, // too large for a double
    };
    for (const auto& c : cases)
        EXPECT_EQ(readZoom(c.text, c.separator), c.value) << "'" << c.text << "' under '" << c.separator << "'";
}

TEST(SettingsZoom, unusableValuesFromTheFileGiveTheDefault)
{
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        std::optional<double> read;
        double zoom;
    } cases[] = {
        {std::nullopt, 2.0}, {0.5, 0.5},  {8.0, 8.0},   {10.0, 10.0}, {1e300, 1e300},        {0.4999, 2.0},
        {0.0, 2.0},          {-0.0, 2.0}, {-8.0, 2.0},  {inf, 2.0},   {-inf, 2.0},
        {std::numeric_limits<double>::quiet_NaN(), 2.0},
    };
    for (const auto& c : cases) EXPECT_EQ(zoomFromFile(c.read), c.zoom) << (c.read ? *c.read : -1);

    // Written under one separator, read under the other.
    EXPECT_EQ(zoomFromFile(readZoom("0,5", ".")), 2.0);
    EXPECT_EQ(zoomFromFile(readZoom("1e-400", ".")), 2.0);
}

TEST(SettingsZoom, writtenInTheGeneralForm)
{
    const struct {
        double value;
        const char* separator;
        const char* text;
    } cases[] = {
        {0.5, ".", "0.5"},
        {0.5, ",", "0,5"},
        {1, ",", "1"},
        {2, ",", "2"},
        {3, ",", "3"},
        {4, ".", "4"},
        {8, ",", "8"},
        {16, ".", "16"},
        {32, ",", "32"},
        {2.5, ".", "2.5"},
        {2.5, ",", "2,5"},
        {0.1 + 0.2, ".", "0.3"},
        {2.0 / 3.0, ",", "0,666666666666667"},
        {1234567.5, ",", "1234567,5"},
        {1e14, ".", "100000000000000"},
        {1e15, ".", "1E15"},
        {1e20, ".", "1E20"},
        {1e20, ",", "1E20"},
        {1.5e20, ",", "1,5E20"},
        {123456789012345678.0, ".", "1.23456789012346E17"},
        {0.0001, ".", "0.0001"},
        {0.00001, ".", "1E-5"},
        {1.5e-7, ",", "1,5E-7"},
        {1e-300, ".", "1E-300"},
    };
    for (const auto& c : cases) EXPECT_EQ(writeZoom(c.value, c.separator), c.text) << c.value;

    // The zoom ladder survives a save and a load under the same settings.
    for (const char* sep : {".", ","})
        for (double z : {0.5, 1.0, 2.0, 3.0, 4.0, 8.0, 16.0, 32.0})
            EXPECT_EQ(zoomFromFile(readZoom(writeZoom(z, sep), sep)), z) << z << " under '" << sep << "'";
}
