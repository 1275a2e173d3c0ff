#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "colourdialog/colour_entry.h"
#include "colourdialog/palettes.h"

using namespace tintora;

namespace {

constexpr ColourValue Red = 0x0000FF, Blue = 0xFF0000;

} // namespace

TEST(HexField, colourOfTheTypedText)
{
    const struct {
        const char* text;
        ColourValue colour;
    } cases[] = {
        {"FF8000", colourValueFromLevels(255, 128, 0)},
        {"ff8000", colourValueFromLevels(255, 128, 0)},
        {"0000FF", Blue},
        {"FF0000", Red},
        // Only the first two positions typed: as if zeros stood in front.
        {"00____", 0},
        {"FF____", Blue},
        {"__FF__", Blue},
        {"12_345", colourValueFromLevels(0, 0, 0x12)},
        {"______", 0},
        {"", 0},
        // A trailing H is the number's suffix; any other letter spoils it.
        {"FFH___", Blue},
        {"ABCDEH", colourValueFromLevels(0x0A, 0xBC, 0xDE)},
        {"H_____", 0},
        {"GG0000", 0},
        {"FF00ZZ", 0},
        {"FF 00 ", Blue},
    };
    for (const auto& c : cases) EXPECT_EQ(hexFieldColour(c.text), c.colour) << '"' << c.text << '"';
}

TEST(HexField, completeOnlyWithSixLettersOrDigits)
{
    EXPECT_TRUE(hexFieldComplete("FF8000"));
    EXPECT_TRUE(hexFieldComplete("GGZZ00")); // pasted letters fill positions too
    EXPECT_FALSE(hexFieldComplete("FF800_"));
    EXPECT_FALSE(hexFieldComplete("_F8000"));
    EXPECT_FALSE(hexFieldComplete("FF 800"));
    EXPECT_FALSE(hexFieldComplete("FF80"));
}

TEST(HexField, typedCharacterFilter)
{
    using namespace std::literals;
    for (char32_t c : U"0123456789ABCDEFabcdef\r\x1B\x03\x16\b"sv) EXPECT_TRUE(hexFieldLetsThrough(c)) << int(c);
    for (char32_t c : U"GgZz #-+.,_\t\x01\x18\x1A\u0416\u00E9"sv) EXPECT_FALSE(hexFieldLetsThrough(c)) << int(c);
    // What a position may hold once pasted.
    for (char32_t c : U"09AZaz"sv) EXPECT_TRUE(hexFieldHolds(c)) << int(c);
    for (char32_t c : U"# _-\u0416"sv) EXPECT_FALSE(hexFieldHolds(c)) << int(c);
}

TEST(NumericField, typedTextClampedAndNonNumbersAreZero)
{
    const struct {
        std::string text;
        double min, max, value;
    } cases[] = {
        {"300", 0, 255, 255}, {"255", 0, 255, 255}, {"-5", 0, 255, 0},     {"12", 0, 100, 12},
        {"12.7", 0, 100, 12.7}, {"12,5", 0, 100, 12.5}, {" 42 ", 0, 255, 42}, {"+7", 0, 255, 7},
        {"", 0, 255, 0},       {"abc", 0, 255, 0},     {"1e3", 0, 359, 0},   {"12abc", 0, 359, 0},
        {"-", 0, 255, 0},      {".", 0, 255, 0},       {"nan", 0, 255, 0},   {"inf", 0, 255, 0},
        {"360", 0, 359, 359},  {"99999999999999999999999999", 0, 359, 359},
        {std::string(400, '9'), 0, 100, 100},
        // Too small for a double: 0, not the largest value.
        {"0." + std::string(400, '0') + "1", 0, 255, 0},
        {"", 10, 20, 10}, // not a number counts as 0, then the range holds
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(typedValue(c.text, c.min, c.max), c.value) << '"' << c.text << '"';
}

TEST(NumericField, shownRoundedHalvesToEven)
{
    const struct {
        double value;
        int shown;
    } cases[] = {{0, 0}, {12.4, 12}, {12.5, 12}, {13.5, 14}, {0.5, 0}, {1.5, 2}, {99.6, 100},
                 {50.19607843, 50}, {254.5, 254}, {-0.5, 0}, {-1.5, -2}, {359, 359}};
    for (const auto& c : cases) EXPECT_EQ(shownInteger(c.value), c.shown) << c.value;
}

TEST(DecimalField, colourValueOfTheTypedNumber)
{
    const struct {
        const char* text;
        ColourValue colour;
    } cases[] = {
        {"255", Red},
        {"16711680", Blue},
        {"0", 0},
        {"16777215", 0xFFFFFF},
        // Bits above the lowest 24 are dropped.
        {"16777216", 0},
        {"16777471", Red},
        {"4294967295", 0xFFFFFF},
        {"99999999999999999999999999999", 0xFFFFFF}, // 10^29 - 1, and 2^24 divides 10^29
        {"1000000000000000000000000000255", Red},
        // Truncated toward zero.
        {"255.9", Red},
        {"-0.5", 0},
        {"-1", 0xFFFFFF},
        {"-16711681", 0x00FFFF},
        {"", 0},
        {"abc", 0},
        {"12px", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(decimalFieldColour(c.text), c.colour) << '"' << c.text << '"';
    EXPECT_EQ(decimalFieldText(Blue), "16711680");
    EXPECT_EQ(decimalFieldText(0), "0");
}

TEST(ColourTexts, hexRedFirstAndDecimal)
{
    EXPECT_EQ(hexFieldText(colourValueFromLevels(255, 128, 0)), "FF8000");
    EXPECT_EQ(hexFieldText(colourValueFromLevels(0, 0, 255)), "0000FF");
    EXPECT_EQ(hexFieldText(0), "000000");
    EXPECT_EQ(hexFieldText(colourValueFromLevels(10, 11, 171)), "0A0BAB");
    EXPECT_EQ(decimalFieldText(Red), "255");
    EXPECT_EQ(decimalFieldText(colourValueFromLevels(0, 0, 255)), "16711680");
    EXPECT_EQ(decimalFieldText(0), "0");
}

TEST(PaletteStrings, colourOfTheFirstWord)
{
    EXPECT_EQ(colourOfString("FF8000"), colourValueFromLevels(255, 128, 0));
    EXPECT_EQ(colourOfString("0000FF"), Blue);
    // Only the first word counts.
    EXPECT_EQ(colourOfString("FF0000 red"), Red);
    EXPECT_EQ(colourOfString("FF0000\r\nsecond line"), Red);
    EXPECT_EQ(colourOfString("  FF0000"), Red);
    EXPECT_EQ(colourOfString(""), 0u);
    EXPECT_EQ(colourOfString("RED"), 0u);
    EXPECT_EQ(colourOfString("1FF0000"), Red); // no more than 24 bits
    for (const ColourValue v : {0u, 0x0000FFu, 0xFF0000u, 0x123456u, 0xFFFFFFu})
        EXPECT_EQ(colourOfString(hexFieldText(v)), v) << v; // what the add button stores reads back
}

TEST(PaletteLayout, cellsAndHits)
{
    // Main palette, 249 x 142: the last cell ends 5 pixels inside its right
    // and bottom edges.
    EXPECT_EQ(MainPaletteLayout.cellRect(0), (Rect{6, 6, 24, 17}));
    EXPECT_EQ(MainPaletteLayout.cellRect(9), (Rect{36, 29, 24, 17}));
    EXPECT_EQ(MainPaletteLayout.cellRect(47), (Rect{216, 121, 24, 17}));
    EXPECT_EQ(CustomPaletteLayout.cellRect(17), (Rect{206, 74, 34, 28}));
    EXPECT_EQ(MainPaletteLayout.cellCount(), 48);
    EXPECT_EQ(CustomPaletteLayout.cellCount(), 18);

    const struct {
        Point p;
        std::optional<int> cell;
    } hits[] = {
        {{6, 6}, 0},
        {{0, 0}, 0},      // the margin around a cell belongs to it
        {{32, 10}, 0},    // between two cells: the first in list order
        {{35, 10}, 0},    // still within the first cell's widened rectangle
        {{36, 10}, 1},
        {{245, 143}, 47},
        {{246, 121}, std::nullopt}, // beside all cells
        {{100, 144}, std::nullopt},
        {{-1, 10}, std::nullopt},
    };
    for (const auto& h : hits) EXPECT_EQ(MainPaletteLayout.cellAt(h.p), h.cell) << h.p.x << "," << h.p.y;
}

TEST(MainPalette, fortyEightColoursRowByRow)
{
    const ColourStrings& c = mainPaletteColours();
    ASSERT_EQ(c.size(), 48u);
    EXPECT_EQ(c[0], "8080FF");
    EXPECT_EQ(c[7], "FF80FF");
    EXPECT_EQ(c[28], "FF0000");
    EXPECT_EQ(c[40], "000000");
    EXPECT_EQ(c[47], "FFFFFF");
}

TEST(CustomColours, openingShowsTheCallersListOrTheSession)
{
    const ColourStrings session{"111111", "222222"};
    ColourStrings expected = session;
    padToCells(expected, 18);
    EXPECT_EQ(customColoursAtOpening({}, session), expected);
    ASSERT_EQ(expected.size(), 18u);
    EXPECT_EQ(expected[17], "FFFFFF");

    const ColourStrings custom{"AAAAAA", "BBBBBB", "CCCCCC"};
    const ColourStrings shown = customColoursAtOpening(custom, initialCustomColours());
    ASSERT_EQ(shown.size(), 18u);
    EXPECT_EQ(shown[2], "CCCCCC");
    EXPECT_EQ(shown[3], "FFFFFF");

    // A longer list is kept whole; the palette shows its first cells.
    const ColourStrings longer(20, "ABCDEF");
    EXPECT_EQ(customColoursAtOpening(longer, session), longer);
    EXPECT_EQ(initialCustomColours(), ColourStrings(18, "FFFFFF"));
}

TEST(CustomColours, addButtonFillsInOrderThenOverwritesTheLast)
{
    ColourStrings list = initialCustomColours();
    int next = 0;
    for (int i = 0; i < 20; ++i) addColour(list, std::nullopt, next, 18, "0000" + std::to_string(10 + i));
    for (int i = 0; i < 17; ++i) EXPECT_EQ(list[i], "0000" + std::to_string(10 + i)) << i;
    EXPECT_EQ(list[17], "000029"); // the 18th, 19th and 20th all went here
    EXPECT_EQ(next, 17);

    // A selected cell takes the colour; the slot stays.
    next = 3;
    addColour(list, 5, next, 18, "ABCDEF");
    EXPECT_EQ(list[5], "ABCDEF");
    EXPECT_EQ(next, 3);

    // A slot beyond the cells (a caller's longer list) stays on the cells.
    ColourStrings longer(20, "FFFFFF");
    next = 19;
    addColour(longer, std::nullopt, next, 18, "123456");
    EXPECT_EQ(longer[17], "123456");
    EXPECT_EQ(longer[19], "FFFFFF");
}
