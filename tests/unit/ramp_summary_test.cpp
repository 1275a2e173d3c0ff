#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "probe/ramp_summary.h"

using namespace tintora;

namespace {

GammaTable rampOf(const std::function<int(int channel, int level)>& entry)
{
    GammaTable t{};
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 256; ++i) t[static_cast<std::size_t>(c * 256 + i)] = static_cast<std::uint16_t>(entry(c, i));
    return t;
}

} // namespace

TEST(RampSummary, identityAndDistinctLevels)
{
    const struct {
        const char* name;
        GammaTable ramp;
        bool identity;
        std::array<int, 3> distinct;
    } cases[] = {
        {"i * 257", rampOf([](int, int i) { return i * 257; }), true, {256, 256, 256}},
        {"i * 256 (the straight line of some drivers)", rampOf([](int, int i) { return i * 256; }), true,
         {255, 255, 255}},
        // 256 away from the line at level 255, and 257 away.
        {"top entry one step short", rampOf([](int, int i) { return i == 255 ? 65279 : i * 257; }), true,
         {255, 255, 255}},
        {"top entry more than one step short", rampOf([](int, int i) { return i == 255 ? 65278 : i * 257; }), false,
         {255, 255, 255}},
        {"one channel halved",
         rampOf([](int c, int i) { return c == 1 ? i * 257 / 2 : i * 257; }), false, {256, 128, 256}},
        {"all zero", rampOf([](int, int) { return 0; }), false, {1, 1, 1}},
        {"inverted", rampOf([](int, int i) { return (255 - i) * 257; }), false, {256, 256, 256}},
        // Levels 0-63 of the blue table clipped to black.
        {"blue clipped low", rampOf([](int c, int i) { return c == 2 && i < 64 ? 0 : i * 257; }), false,
         {256, 256, 193}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(isIdentityRamp(c.ramp), c.identity);
        EXPECT_EQ(distinctLevels(c.ramp), c.distinct);
    }
}

// Gamma corrections of 1.0, 0.8 and 0.6 (output = (i / 255)^(1 / gamma)), as
// xrandr --gamma loads them: the steeper the curve at black, the more dark
// levels merge.
TEST(RampSummary, gammaRampMergesDarkLevels)
{
    const double gamma[3] = {1.0, 0.8, 0.6};
    const GammaTable ramp = rampOf([&](int c, int i) {
        return static_cast<int>(std::lround(std::pow(i / 255.0, 1.0 / gamma[c]) * 65535.0));
    });
    EXPECT_FALSE(isIdentityRamp(ramp));
    const std::array<int, 3> n = distinctLevels(ramp);
    EXPECT_EQ(n[0], 256);
    EXPECT_EQ(n[1], 235);
    EXPECT_EQ(n[2], 209);
}

TEST(RampSummary, statusText)
{
    const GammaTable straight = rampOf([](int, int i) { return i * 257; });
    const GammaTable halvedGreen = rampOf([](int c, int i) { return c == 1 ? i * 257 / 2 : i * 257; });
    const struct {
        std::optional<RampReading> reading;
        const char* text;
    } cases[] = {
        {RampReading{straight, "HDMI-1", 256}, "HDMI-1, 256 entries, identity"},
        {RampReading{halvedGreen, "DP-2", 1024}, "DP-2, 1024 entries, distinct levels R 256 G 128 B 256"},
        {RampReading{straight, "", 256}, "Unnamed output, 256 entries, identity"},
        {std::nullopt, "No gamma ramp"},
    };
    for (const auto& c : cases) EXPECT_EQ(rampStatusText(c.reading), c.text);
}
