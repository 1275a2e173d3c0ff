#include <gtest/gtest.h>

#include <vector>

#include "platform/gamma_ramp.h"
#include "probe/lut.h"

using namespace tintora;

TEST(lutLevel, entriesFromTheTable)
{
    const struct {
        unsigned entry;
        unsigned level;
    } cases[] = {{0, 0},     {127, 0},     {128, 0},     {129, 1},     {383, 1},     {384, 2},    {640, 2},
                 {51200, 200}, {51400, 201}, {65280, 255}, {65407, 255}, {65408, 255}, {65535, 255},
                 // Exact halves go to the even neighbour.
                 {32896, 128}, {33152, 130}};
    for (const auto& c : cases)
        EXPECT_EQ(lutLevel(static_cast<std::uint16_t>(c.entry)), c.level) << "entry " << c.entry;
}

TEST(lutLevel, neverAboveTheCapAndMonotonic)
{
    unsigned previous = 0;
    for (unsigned e = 0; e <= 65535; ++e) {
        const unsigned level = lutLevel(static_cast<std::uint16_t>(e));
        ASSERT_LE(level, 255u);
        ASSERT_GE(level, previous) << "entry " << e;
        previous = level;
    }
}

TEST(MapThroughRamp, identityAndSteeperRamps)
{
    GammaTable times256{}, times257{};
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 256; ++i) {
            times256[static_cast<std::size_t>(c * 256 + i)] = static_cast<std::uint16_t>(i * 256);
            times257[static_cast<std::size_t>(c * 256 + i)] = static_cast<std::uint16_t>(i * 257);
        }
    for (int level = 0; level < 256; ++level) {
        const auto l = static_cast<std::uint8_t>(level);
        EXPECT_EQ(mapThroughRamp(times256, {l, l, l}), (Rgb{l, l, l}));
        const int expected = level <= 128 ? level : level == 255 ? 255 : level + 1;
        EXPECT_EQ(mapThroughRamp(times257, {l, 0, 0}).R, expected) << "level " << level;
    }
    EXPECT_EQ(mapThroughRamp(times257, {200, 100, 0}), (Rgb{201, 100, 0}));
}

TEST(MapThroughRamp, eachChannelReadsItsOwnTable)
{
    GammaTable ramp{};
    for (int i = 0; i < 256; ++i) {
        ramp[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(i * 256);
        ramp[static_cast<std::size_t>(256 + i)] = 0;
        ramp[static_cast<std::size_t>(512 + i)] = 65535;
    }
    const Rgb pixel{100, 100, 100};
    EXPECT_EQ(mapThroughRamp(ramp, pixel), (Rgb{100, 0, 255}));
    const RawEntries raw = rawEntries(ramp, pixel);
    EXPECT_EQ(raw.R, 25600);
    EXPECT_EQ(raw.G, 0);
    EXPECT_EQ(raw.B, 65535);
}

TEST(ColourValue, redInTheLowByteTopByteIgnored)
{
    EXPECT_EQ(rgbFromColourValue(0x000064C8u), (Rgb{200, 100, 0}));
    EXPECT_EQ(rgbFromColourValue(0xAB0064C8u), (Rgb{200, 100, 0}));
    EXPECT_EQ(rgbFromColourValue(InvalidColour), (Rgb{255, 255, 255}));
    EXPECT_EQ(colourValueFromRgb({200, 100, 0}), 0x000064C8u);
    EXPECT_EQ(colourValueFromLevels(200, 100, 0), 0x000064C8u);
    EXPECT_EQ(colourValueFromLevels(256 + 200, 100, -256), 0x000064C8u); // each level modulo 256
    EXPECT_EQ(withoutTopByte(0xAB0064C8u), 0x000064C8u);
}

TEST(ImagePixel, redInTheThirdByteTopByteDroppedBetweenLayouts)
{
    EXPECT_EQ(imagePixelFromLevels(200, 100, 0), 0x00C86400u);
    EXPECT_EQ(imagePixelFromColourValue(0xAB0064C8u), 0x00C86400u);
    EXPECT_EQ(colourValueFromImagePixel(0xFFC86400u), 0x000064C8u);
    EXPECT_EQ(rgbFromImagePixel(0xFFC86400u), (Rgb{200, 100, 0}));
}

TEST(ResampleRamp, wideTableIsReadWhereEightBitLevelsLand)
{
    // A 1024-entry ramp whose entry j is j * 64 + channel offset: level L must
    // read entry round(L * 1023 / 255).
    constexpr int n = 1024;
    std::vector<std::uint16_t> red(n), green(n), blue(n);
    for (int j = 0; j < n; ++j) {
        red[j] = static_cast<std::uint16_t>(j * 64);
        green[j] = static_cast<std::uint16_t>(j * 64 + 1);
        blue[j] = static_cast<std::uint16_t>(j * 64 + 2);
    }
    GammaTable out{};
    resampleRamp(red.data(), green.data(), blue.data(), n, out);
    const struct {
        int level;
        int index;
    } cases[] = {{0, 0}, {1, 4}, {2, 8}, {64, 257}, {127, 509}, {128, 514}, {200, 802}, {254, 1019}, {255, 1023}};
    for (const auto& c : cases) {
        EXPECT_EQ(out[static_cast<std::size_t>(c.level)], c.index * 64) << "level " << c.level;
        EXPECT_EQ(out[static_cast<std::size_t>(256 + c.level)], c.index * 64 + 1) << "level " << c.level;
        EXPECT_EQ(out[static_cast<std::size_t>(512 + c.level)], c.index * 64 + 2) << "level " << c.level;
    }
}

TEST(ResampleRamp, narrowTableAndTwoEntries)
{
    std::vector<std::uint16_t> t16(16);
    for (int j = 0; j < 16; ++j) t16[j] = static_cast<std::uint16_t>(j);
    GammaTable out{};
    resampleRamp(t16.data(), t16.data(), t16.data(), 16, out);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[8], 0);   // 8 * 15 / 255 = 0.47
    EXPECT_EQ(out[9], 1);   // 0.53
    EXPECT_EQ(out[255], 15);

    const std::uint16_t two[2] = {100, 200};
    resampleRamp(two, two, two, 2, out);
    EXPECT_EQ(out[127], 100);
    EXPECT_EQ(out[128], 200);
}
