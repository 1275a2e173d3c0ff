#include <gtest/gtest.h>

#include "probe/readout_text.h"

using namespace tintora;

TEST(fractionText, levelsFromTheTable)
{
    const struct {
        unsigned level;
        const char* text;
    } cases[] = {{0, "0.000"},   {1, "0.004"},   {2, "0.008"},   {3, "0.012"},   {13, "0.051"},
                 {25, "0.098"},  {26, "0.100"},  {51, "0.200"},  {64, "0.250"},  {100, "0.390"},
                 {127, "0.500"}, {128, "0.500"}, {200, "0.780"}, {201, "0.790"}, {253, "0.990"},
                 {254, "1.000"}, {255, "1.000"}};
    for (const auto& c : cases)
        EXPECT_EQ(fractionText(static_cast<std::uint8_t>(c.level), "."), c.text) << "level " << c.level;
}

TEST(fractionText, localeSeparatorAndShape)
{
    EXPECT_EQ(fractionText(201, ","), "0,790");
    for (unsigned v = 0; v < 256; ++v) {
        const std::string t = fractionText(static_cast<std::uint8_t>(v), ".");
        ASSERT_EQ(t.size(), 5u) << t;
        ASSERT_EQ(t[1], '.');
        // Two significant digits at most: from level 26 on the last is 0.
        if (v >= 26) {
            ASSERT_EQ(t[4], '0') << "level " << v;
        }
    }
}

TEST(NumberForms, hexadecimalIsUpperCaseAndPadded)
{
    EXPECT_EQ(hex2(0), "00");
    EXPECT_EQ(hex2(10), "0A");
    EXPECT_EQ(hex2(200), "C8");
    EXPECT_EQ(hex2(255), "FF");
    EXPECT_EQ(hex4(0), "0000");
    EXPECT_EQ(hex4(256), "0100");
    EXPECT_EQ(hex4(51400), "C8C8");
    EXPECT_EQ(hex4(65535), "FFFF");
    EXPECT_EQ(hexColour({201, 100, 0}), "C96400");
}

namespace {

GammaTable times257()
{
    GammaTable t{};
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 256; ++i) t[static_cast<std::size_t>(c * 256 + i)] = static_cast<std::uint16_t>(i * 257);
    return t;
}

// Pixel (200, 100, 0) under the i * 257 ramp.
Sample sampleOf(std::optional<Rgb> bitmap = Rgb{200, 100, 0}, bool withRamp = true)
{
    Sample s;
    s.bitmap = bitmap;
    if (withRamp) s.ramp = RampReading{times257(), "HDMI-1", 256};
    return s;
}

} // namespace

TEST(ReadoutTexts, threeFormatsOfOneSample)
{
    const struct {
        bool hex, dec;
        const char* bitmap[3];
        const char* lut[3];
    } cases[] = {
        {false, false, {"200", "100", "0"}, {"201 (51400)", "100 (25700)", "0 (0)"}},
        {true, false, {"C8", "64", "00"}, {"C9 (C8C8)", "64 (6464)", "00 (0000)"}},
        {false, true, {"0.780", "0.390", "0.000"}, {"0.790 (51400)", "0.390 (25700)", "0.000 (0)"}},
        // Both flags, which only a settings file can set: hexadecimal wins.
        {true, true, {"C8", "64", "00"}, {"C9 (C8C8)", "64 (6464)", "00 (0000)"}},
    };
    for (const auto& c : cases) {
        const ReadoutTexts t = readoutTexts(sampleOf(), readoutFormat(c.hex, c.dec), ".");
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(t.bitmap[i], c.bitmap[i]) << "hex " << c.hex << " dec " << c.dec;
            EXPECT_EQ(t.lut[i], c.lut[i]) << "hex " << c.hex << " dec " << c.dec;
        }
        EXPECT_EQ(t.hash, "#C96400");
    }
}

TEST(ReadoutTexts, whiteThroughFullRampAndDecimalComma)
{
    const Sample white = sampleOf(Rgb{255, 255, 255});
    EXPECT_EQ(readoutTexts(white, ReadoutFormat::Plain, ".").lut[0], "255 (65535)");
    EXPECT_EQ(readoutTexts(white, ReadoutFormat::Hexadecimal, ".").lut[0], "FF (FFFF)");
    EXPECT_EQ(readoutTexts(white, ReadoutFormat::Fraction, ".").lut[0], "1.000 (65535)");
    EXPECT_EQ(readoutTexts(sampleOf(), ReadoutFormat::Fraction, ",").lut[0], "0,790 (51400)");
}

// What a sample lacks shows as missing in every format, never as a made-up
// level: no pixel, no level at all; no ramp, the Bitmap levels alone.
TEST(ReadoutTexts, missingPartsShowAsMissing)
{
    const struct {
        const char* name;
        Sample sample;
        ReadoutFormat format;
        const char* bitmapRed;
        const char* hash;
    } cases[] = {
        {"no pixel", sampleOf(std::nullopt), ReadoutFormat::Plain, "?", "#"},
        {"no pixel, hexadecimal", sampleOf(std::nullopt), ReadoutFormat::Hexadecimal, "?", "#"},
        {"no pixel, no ramp", sampleOf(std::nullopt, false), ReadoutFormat::Fraction, "?", "#"},
        {"no ramp", sampleOf(Rgb{200, 100, 0}, false), ReadoutFormat::Plain, "200", "#"},
        {"no ramp, fractions", sampleOf(Rgb{200, 100, 0}, false), ReadoutFormat::Fraction, "0.780", "#"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadoutTexts t = readoutTexts(c.sample, c.format, ".");
        EXPECT_EQ(t.bitmap[0], c.bitmapRed);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(t.lut[i], kMissingLevelText);
        if (!c.sample.bitmap) {
            for (int i = 1; i < 3; ++i) EXPECT_EQ(t.bitmap[i], kMissingLevelText);
        }
        EXPECT_EQ(t.hash, c.hash);
    }
}
