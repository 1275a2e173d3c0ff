#include "colourdialog/colour_model.h"
#include "colourdialog/colour_entry.h"
#include "colourdialog/hsb.h"
#include "colourdialog/picker_images.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

using namespace tintora;

namespace {

// Colour value from levels (red in the low byte), short for the tables.
constexpr ColourValue rgb(int r, int g, int b) { return colourValueFromLevels(r, g, b); }

constexpr ColourValue Red = rgb(255, 0, 0);
constexpr ColourValue Black = rgb(0, 0, 0);
constexpr ColourValue White = rgb(255, 255, 255);
constexpr ColourValue Grey128 = rgb(128, 128, 128);

// ---- Conversions ----------------------------------------------------------

struct HsbCase {
    ColourValue colour;
    int hue;
    double saturation;
    double brightness;
};

TEST(RgbToHsb, huesOfTheTable)
{
    const HsbCase cases[] = {
        {Red, 0, 1.0, 1.0},
        {rgb(255, 0, 255), 300, 1.0, 1.0},   // red and blue tie: the red formula, negative + 360
        {rgb(0, 0, 1), 240, 1.0, 0.00392156862745098}, // blue only
        {Black, 0, 0.0, 0.0},
        {White, 0, 0.0, 1.0},
        {Grey128, 0, 0.0, 0.5019607843137255},
        {rgb(255, 255, 0), 60, 1.0, 1.0},    // red and green tie: red formula
        {rgb(0, 255, 255), 180, 1.0, 1.0},   // green and blue tie: green formula
        {rgb(181, 181, 75), 60, 0.585635359116022, 0.7098039215686275}, // exact hue, whole
        {rgb(255, 128, 0), 30, 1.0, 1.0},    // 30.1 truncated
        {rgb(0, 128, 255), 209, 1.0, 1.0},   // 209.9 truncated, not rounded
        {rgb(255, 0, 128), 329, 1.0, 1.0},   // -30.1 + 360 truncated
        {rgb(255, 0, 1), 359, 1.0, 1.0},     // just below 360, never 360
        {rgb(128, 255, 128), 120, 0.4980392156862745, 1.0},
        {0xAB0000FFu, 0, 1.0, 1.0},          // top byte ignored
    };
    for (const HsbCase& c : cases) {
        SCOPED_TRACE(hexFieldText(c.colour));
        const Hsb h = rgbToHsb(c.colour);
        EXPECT_EQ(h.hue, c.hue);
        EXPECT_DOUBLE_EQ(h.saturation, c.saturation);
        EXPECT_DOUBLE_EQ(h.brightness, c.brightness);
    }
}

struct RgbCase {
    double hue;
    double saturation;
    double brightness;
    ColourValue colour;
};

TEST(HsbToRgb, sectorsGreysAndRounding)
{
    const RgbCase cases[] = {
        {0, 1, 1, Red},
        {360, 1, 1, Red},              // 360 is 0
        {60, 1, 1, rgb(255, 255, 0)},
        {120, 1, 1, rgb(0, 255, 0)},
        {180, 1, 1, rgb(0, 255, 255)},
        {240, 1, 1, rgb(0, 0, 255)},
        {300, 1, 1, rgb(255, 0, 255)},
        {30, 1, 1, rgb(255, 128, 0)},  // t = 127.5: half to even
        {359, 1, 1, rgb(255, 0, 4)},   // q = 4.25
        {200, 0, 0.5, rgb(128, 128, 128)}, // grey: 127.5 to even, the hue ignored
        {0, 0, 1, White},
        {0, 0, 0, Black},
        {0, 0.5, 1, rgb(255, 128, 128)},
        {400, 1, 1, rgb(255, 0, 85)},  // past 360: the last sector
        {-30, 1, 1, Red},              // integer part 0: t clamped to 0
        {0, 2, 1, Red},                // p clamped to 0
    };
    for (const RgbCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.hue << " " << c.saturation << " " << c.brightness);
        EXPECT_EQ(hexFieldText(hsbToRgb(c.hue, c.saturation, c.brightness)), hexFieldText(c.colour));
    }
}

TEST(HsbToRgb, roundTripOfWholeHues)
{
    // Channels in steps of 51 give whole hues, so RGB -> HSB -> RGB is exact.
    for (int r = 0; r <= 255; r += 51)
        for (int g = 0; g <= 255; g += 51)
            for (int b = 0; b <= 255; b += 51) {
                const ColourValue c = rgb(r, g, b);
                const Hsb h = rgbToHsb(c);
                EXPECT_EQ(hexFieldText(hsbToRgb(h.hue, h.saturation, h.brightness)), hexFieldText(c));
            }
}

TEST(HsbToRgb, everyWholeHueComesBackWithinADegree)
{
    for (int hue = 0; hue < 360; ++hue)
        for (double s : {1.0, 0.5})
            for (double v : {1.0, 0.6}) {
                SCOPED_TRACE(testing::Message() << hue << " " << s << " " << v);
                const Hsb back = rgbToHsb(hsbToRgb(hue, s, v));
                const int diff = (back.hue - hue + 540) % 360 - 180;
                EXPECT_LE(std::abs(diff), 1);
                EXPECT_NEAR(back.saturation, s, 0.01);
                EXPECT_NEAR(back.brightness, v, 0.002);
            }
}

// ---- Images ---------------------------------------------------------------

std::uint32_t at(const ScreenImage& img, int x, int y)
{
    return img.pixels[static_cast<std::size_t>(y) * img.width + x];
}

TEST(FieldImage, huesAcrossSaturationDownDarkerTowardsTheBottom)
{
    const ScreenImage img = makeFieldImage(FieldWidth, FieldHeight);
    ASSERT_EQ(img.width, 255);
    ASSERT_EQ(img.height, 255);
    ASSERT_EQ(img.pixels.size(), 255u * 255u);
    struct { int x, y; std::uint32_t pixel; } cases[] = {
        {0, 0, 0xFF0000u},     // pixels are 0x00RRGGBB
        {85, 0, 0x00FF00u},    // hue 120
        {170, 0, 0x0000FFu},   // hue 240
        {42, 17, 0xF9F711u},   // hue 59.29, not rounded
        {200, 100, 0xB657DEu},
        {0, 127, 0xD56A6Au},
        {0, 254, 0xAAAAAAu},   // about two thirds bright, nearly grey
        {254, 254, 0xAAAAAAu},
    };
    for (const auto& c : cases) EXPECT_EQ(at(img, c.x, c.y), c.pixel) << c.x << "," << c.y;
}

TEST(ScaleImage, redScaleFadesFromWhiteThroughRedToBlack)
{
    const std::vector<ColourValue> rows = scaleRows(Red, ScaleHeight);
    ASSERT_EQ(rows.size(), 255u);
    EXPECT_EQ(hexFieldText(rows[0]), "FFFEFE");   // 253.5 to even: just short of white
    EXPECT_EQ(hexFieldText(rows[60]), "FFA4A4");
    EXPECT_EQ(hexFieldText(rows[167]), "FF0303");
    EXPECT_EQ(hexFieldText(rows[168]), "FF0202"); // 1.5 to even
    EXPECT_EQ(hexFieldText(rows[169]), "FF0000"); // the base row, n - 1 = 169
    EXPECT_EQ(hexFieldText(rows[170]), "FC0000"); // then 3 a row towards black
    EXPECT_EQ(hexFieldText(rows[254]), "000000");

    const ScreenImage img = makeScaleImage(Red, ScaleWidth, ScaleHeight);
    ASSERT_EQ(img.width, 20);
    ASSERT_EQ(img.height, 255);
    for (int x : {0, 19}) {
        EXPECT_EQ(at(img, x, 169), 0xFF0000u);
        EXPECT_EQ(at(img, x, 60), 0xFFA4A4u);
    }
}

TEST(ScaleImage, whiteBaseRunsOneStepARowToBlack)
{
    // m = 255: k = 255, n = 0, no rows fade to the base.
    const std::vector<ColourValue> rows = scaleRows(White, ScaleHeight);
    const struct {
        int row;
        int level;
    } cases[] = {{0, 254}, {1, 253}, {123, 131}, {200, 54}, {254, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(rows[static_cast<std::size_t>(c.row)], rgb(c.level, c.level, c.level)) << "row " << c.row;
}

TEST(ScaleImage, heightOffsetIsTruncatedTowardZero)
{
    // 254 rows: (254 - 255) / 2 truncates to 0, so k = 85 and red sits on row
    // 168 (flooring it to -1 would put red on row 169).
    const std::vector<ColourValue> rows = scaleRows(Red, 254);
    ASSERT_EQ(rows.size(), 254u);
    EXPECT_EQ(rows[168], Red);
    EXPECT_EQ(hexFieldText(rows[167]), "FF0202");
    EXPECT_EQ(rows[253], Black);
}

struct RowCase {
    ColourValue base;
    int coord;
    ColourValue colour;
};

TEST(ScaleColourAt, snapsNearWhiteAndNearBlackAndHandlesRowsOutside)
{
    const RowCase cases[] = {
        {White, 0, White},                  // 254 snapped: the top row is white
        {White, 2, White},                  // 252
        {White, 3, rgb(251, 251, 251)},     // not snapped
        {White, 250, rgb(4, 4, 4)},         // not snapped
        {White, 251, Black},                // 3 snapped
        {Red, 167, Red},                    // (255, 3, 3) snapped: pure red
        {Red, 166, rgb(255, 4, 4)},
        {Red, 60, rgb(255, 164, 164)},
        {Red, -1, White},
        {Red, -1000, White},
        {Red, 255, Black},                  // past the last row: the last row
        {Red, 100000, Black},
    };
    for (const RowCase& c : cases) {
        SCOPED_TRACE(testing::Message() << hexFieldText(c.base) << " row " << c.coord);
        EXPECT_EQ(hexFieldText(scaleColourAt(c.base, ScaleHeight, c.coord)), hexFieldText(c.colour));
    }
}

TEST(ScaleRowOf, firstRowWithinThreeStepsElseRowZero)
{
    const ScreenImage red = makeScaleImage(Red, ScaleWidth, ScaleHeight);
    const ScreenImage white = makeScaleImage(White, ScaleWidth, ScaleHeight);
    EXPECT_EQ(scaleRowOf(red, Red), 167);
    EXPECT_EQ(scaleRowOf(red, rgb(255, 164, 164)), 58); // rows 58-61 all match
    EXPECT_EQ(scaleRowOf(red, Black), 253);
    EXPECT_EQ(scaleRowOf(white, Black), 251);
    EXPECT_EQ(scaleRowOf(white, White), 0);
    EXPECT_EQ(scaleRowOf(white, Grey128), 123);       // (131, 131, 131)
    EXPECT_EQ(scaleRowOf(white, rgb(128, 128, 132)), 123);
    EXPECT_EQ(scaleRowOf(white, rgb(128, 128, 136)), 0); // blue 5 away from every row
    EXPECT_EQ(scaleRowOf(ScreenImage{}, Red), 0);      // not built yet
}

// ---- Cursor and marker ----------------------------------------------------

TEST(CursorAndMarker, cursorPointAndTriangleRows)
{
    EXPECT_EQ(cursorPointFor(0, 1.0, 255, 255), (Point{0, 0}));
    EXPECT_EQ(cursorPointFor(359, 1.0, 255, 255), (Point{254, 0})); // 254.29, integer arithmetic
    EXPECT_EQ(cursorPointFor(240, 0.0, 255, 255), (Point{170, 255}));
    EXPECT_EQ(cursorPointFor(120, 0.5, 255, 255), (Point{85, 128}));   // 127.5 to even
    EXPECT_EQ(cursorPointFor(120, 127.0 / 255, 255, 255), (Point{85, 128}));
    EXPECT_EQ(cursorBox({85, 128}), (Rect{80, 123, 10, 10}));

    const auto spans = markerSpans(10);
    EXPECT_EQ(spans.front().row, 4);
    EXPECT_EQ(spans.front().first, 7); // the blunt end is a single pixel
    EXPECT_EQ(spans[6].row, 10);
    EXPECT_EQ(spans[6].first, 1);      // the tip, next to the scale
    EXPECT_EQ(spans.back().row, 16);
    EXPECT_EQ(spans.back().first, 7);
    for (const MarkerSpan& s : spans) EXPECT_EQ(s.last, 7);
    EXPECT_EQ(spans[3].first, 4);      // d = -3
}

TEST(CursorAndMarker, scaleReadoutUpperHalfSaturationLowerHalfBrightness)
{
    struct { int row; double sat; bool setsSaturation; double value; } cases[] = {
        {60, 1.0, true, 47.843137254902},
        {60, 0.5, true, 23.921568627451},
        {126, 1.0, true, 99.607843137255},
        {-1, 1.0, true, 0.0},
        {127, 1.0, false, 100.0},            // half = 127
        {200, 1.0, false, 42.519685039370},
        {254, 1.0, false, 0.0},
        {255, 1.0, false, -0.787401574803}, // below the scale: under 0, the field clamps
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        const ScaleReadout r = scaleReadout(c.row, c.sat, ScaleHeight);
        EXPECT_EQ(r.setsSaturation, c.setsSaturation);
        EXPECT_NEAR(r.value, c.value, 1e-9);
    }
}

// ---- The model ------------------------------------------------------------

// Records what the model writes, and whether updating was set each time.
struct Recorder : ColourReadouts {
    ColourModel* model = nullptr;
    std::optional<double> hue, sat, bri;
    std::optional<int> red, green, blue;
    std::optional<std::string> decimal, hex;
    std::vector<ColourValue> selected;
    int staleSelectionChecks = 0;
    int writesOutsideUpdating = 0;

    void note() { if (model && !model->updating()) ++writesOutsideUpdating; }
    void setHue(double v) override { note(); hue = v; }
    void setSaturation(double v) override { note(); sat = v; }
    void setBrightness(double v) override { note(); bri = v; }
    void setRed(int v) override { note(); red = v; }
    void setGreen(int v) override { note(); green = v; }
    void setBlue(int v) override { note(); blue = v; }
    void setDecimalText(const std::string& t) override { note(); decimal = t; }
    void setHexText(const std::string& t) override
    {
        note();
        hex = t;
        if (onHexText) onHexText();
    }
    std::function<void()> onHexText; // a field's change handler, say
    void currentColourChanged(ColourValue c) override { note(); selected.push_back(c); }
    void clearStalePaletteSelection() override { note(); ++staleSelectionChecks; }
    void clear()
    {
        hue = sat = bri = std::nullopt;
        red = green = blue = std::nullopt;
        decimal = hex = std::nullopt;
        selected.clear();
        staleSelectionChecks = writesOutsideUpdating = 0;
    }
};

struct ModelTest : testing::Test {
    Recorder out;
    ColourModel model{out};
    ModelTest() { out.model = &model; }
    // The dialog shown on colour, the readouts then forgotten.
    void shownWith(ColourValue colour)
    {
        model.open(colour);
        out.clear();
    }
};

TEST_F(ModelTest, openingOnPureRedWritesEveryReadout)
{
    model.open(Red);
    EXPECT_FALSE(model.updating());
    EXPECT_EQ(out.writesOutsideUpdating, 0);
    EXPECT_EQ(model.currentColour(), Red);
    EXPECT_EQ(out.selected, std::vector<ColourValue>{Red});
    EXPECT_EQ(out.hue, 0.0);
    EXPECT_EQ(out.sat, 100.0);
    EXPECT_EQ(out.bri, 100.0);
    EXPECT_EQ(out.red, 255);
    EXPECT_EQ(out.green, 0);
    EXPECT_EQ(out.blue, 0);
    EXPECT_EQ(out.decimal, "255");
    EXPECT_EQ(out.hex, "FF0000");
    EXPECT_EQ(model.scaleBase(), Red);
    EXPECT_EQ(model.markerRow(), 167);
    EXPECT_EQ(model.colourAtScaleRow(model.markerRow()), Red);
    EXPECT_EQ(model.cursorPoint(), (Point{0, 0}));
    EXPECT_EQ(out.staleSelectionChecks, 1);
    EXPECT_EQ(model.fieldImage().pixels.size(), 255u * 255u);
    EXPECT_EQ(model.scaleImage().pixels.size(), 20u * 255u);
}

struct OpeningCase {
    ColourValue colour;
    ColourValue scaleBase;
    int markerRow;
    ColourValue markerColour;
    Point cursor;
};

TEST_F(ModelTest, markerAndCursorOfOpeningColours)
{
    const OpeningCase cases[] = {
        {Black, White, 251, Black, {0, 255}},
        {White, White, 0, White, {0, 255}},
        {Grey128, White, 123, rgb(131, 131, 131), {0, 255}}, // 3 away from the grey
        {rgb(0, 20, 235), rgb(0, 26, 255), 0, White, {165, 0}}, // no row within 3
        {rgb(0, 0, 1), rgb(0, 0, 255), 253, Black, {170, 0}},
        {rgb(128, 255, 128), rgb(128, 255, 128), 82, rgb(131, 255, 131), {85, 128}},
    };
    for (const OpeningCase& c : cases) {
        SCOPED_TRACE(hexFieldText(c.colour));
        model.open(c.colour);
        EXPECT_EQ(model.currentColour(), c.colour); // stays exactly the colour given
        EXPECT_EQ(hexFieldText(model.scaleBase()), hexFieldText(c.scaleBase));
        EXPECT_EQ(model.markerRow(), c.markerRow);
        EXPECT_EQ(hexFieldText(model.colourAtScaleRow(model.markerRow())), hexFieldText(c.markerColour));
        EXPECT_EQ(model.cursorPoint(), c.cursor);
    }
}

TEST_F(ModelTest, topByteIsDropped)
{
    shownWith(Black);
    model.setCurrentColour(0xAB0000FFu);
    EXPECT_EQ(model.currentColour(), Red);
    EXPECT_EQ(out.decimal, "255");
    EXPECT_EQ(out.selected, std::vector<ColourValue>{Red});
}

TEST_F(ModelTest, eachTypedPathKeepsItsOwnFields)
{
    struct { TypedField path; bool hsb, rgb, decimal, hex; } cases[] = {
        {TypedField::Hex, true, true, true, false},
        {TypedField::Decimal, true, true, false, true},
        {TypedField::Hsb, false, true, true, true},
        {TypedField::Rgb, true, false, true, true},
    };
    for (const auto& c : cases) {
        shownWith(Black);
        EXPECT_TRUE(model.takeTypedColour(rgb(0, 0, 255), c.path));
        EXPECT_EQ(out.hue.has_value(), c.hsb);
        EXPECT_EQ(out.sat.has_value(), c.hsb);
        EXPECT_EQ(out.bri.has_value(), c.hsb);
        EXPECT_EQ(out.red.has_value(), c.rgb);
        EXPECT_EQ(out.blue.has_value(), c.rgb);
        EXPECT_EQ(out.decimal.has_value(), c.decimal);
        EXPECT_EQ(out.hex.has_value(), c.hex);
        // The colour itself is taken whatever the guard.
        EXPECT_EQ(model.currentColour(), rgb(0, 0, 255));
        EXPECT_EQ(model.currentHue(), 240);
        EXPECT_EQ(model.markerRow(), 167);
    }
}

TEST_F(ModelTest, typedColourIsIgnoredWhileTheModelWritesTheFields)
{
    shownWith(Black);
    // The hexadecimal field's change handler answering the model's own write.
    std::optional<bool> taken;
    out.onHexText = [&] { taken = model.takeTypedColour(Red, TypedField::Hex); };
    EXPECT_TRUE(model.takeTypedColour(rgb(0, 0, 255), TypedField::Rgb));
    EXPECT_EQ(taken, false);
    EXPECT_EQ(model.currentColour(), rgb(0, 0, 255));
    EXPECT_EQ(out.hex, "0000FF");
}

TEST_F(ModelTest, hiddenDialogLeavesScaleAndMarker)
{
    model.setCurrentColour(Red);
    EXPECT_EQ(model.markerRow(), -1);
    EXPECT_TRUE(model.scaleImage().pixels.empty());
    EXPECT_EQ(model.scaleBase(), Red);
    EXPECT_EQ(out.hex, "FF0000");
    EXPECT_EQ(out.staleSelectionChecks, 1);
}

// ---- The field ------------------------------------------------------------

TEST_F(ModelTest, fieldPressRoundsTheHueDragTruncatesIt)
{
    struct { int x; int pressHue; int dragHue; } cases[] = {
        {0, 0, 0}, {1, 1, 1}, {2, 3, 2}, {127, 179, 179}, {128, 181, 180}, {254, 359, 358},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        shownWith(Red);
        model.fieldPressed(c.x, 10);
        EXPECT_EQ(model.currentHue(), c.pressHue);
        EXPECT_EQ(out.hue, c.pressHue);
        model.fieldDragged(c.x, 11);
        EXPECT_EQ(model.currentHue(), c.dragHue);
        model.fieldReleased();
    }
}

TEST_F(ModelTest, fieldPressTakesTheMarkersRowFromTheNewScale)
{
    shownWith(Red); // marker on row 167, in the lower half
    EXPECT_TRUE(model.fieldPressed(254, 0));
    EXPECT_TRUE(model.fieldDragging());
    EXPECT_EQ(model.currentHue(), 359);
    EXPECT_EQ(model.currentSaturation(), 1.0);
    EXPECT_EQ(model.scaleBase(), rgb(255, 0, 4));
    EXPECT_EQ(model.markerRow(), 167);               // the marker keeps its row
    EXPECT_EQ(model.currentColour(), rgb(255, 0, 5));       // ... and picks from the new scale
    EXPECT_EQ(at(model.scaleImage(), 0, 168), 0xFF0004u); // the scale was rebuilt
    EXPECT_EQ(out.hue, 359.0);
    EXPECT_EQ(out.sat, 100.0);
    EXPECT_NEAR(*out.bri, 68.503937007874, 1e-9);
    EXPECT_EQ(out.red, 255);
    EXPECT_EQ(out.blue, 5);
    EXPECT_EQ(out.hex, "FF0005");
    EXPECT_EQ(out.decimal, "327935");
    EXPECT_EQ(out.selected, std::vector<ColourValue>{rgb(255, 0, 5)});
    EXPECT_EQ(model.cursorPoint(), (Point{254, 0}));
    EXPECT_EQ(out.staleSelectionChecks, 1);
    EXPECT_EQ(out.writesOutsideUpdating, 0);
    EXPECT_FALSE(model.updating());
}

TEST_F(ModelTest, fieldPressWithTheMarkerInTheUpperHalfShowsFullBrightness)
{
    shownWith(White); // marker on row 0
    model.fieldPressed(85, 0);
    EXPECT_EQ(out.bri, 100.0);
    EXPECT_EQ(model.currentColour(), White); // the top row is white whatever the hue
}

TEST_F(ModelTest, fieldDragSkipsRepeatsAndStaysOnTheField)
{
    shownWith(Red);
    EXPECT_FALSE(model.fieldDragged(10, 10)); // no press, no drag
    model.fieldPressed(100, 50);
    out.clear();
    EXPECT_FALSE(model.fieldDragged(100, 50)); // the pressed point again
    EXPECT_FALSE(out.hue.has_value());
    EXPECT_TRUE(model.fieldDragged(120, 50));
    EXPECT_FALSE(model.fieldDragged(120, 50));
    // Outside the field the point is kept on its edge, where confinement
    // keeps the pointer.
    EXPECT_TRUE(model.fieldDragged(-30, 400));
    EXPECT_EQ(model.currentHue(), 0);
    EXPECT_NEAR(model.currentSaturation(), 0.003921568627451, 1e-12); // row 254 of 255
    EXPECT_EQ(model.cursorPoint(), (Point{0, 254}));
    EXPECT_FALSE(model.fieldDragged(-5, 300)); // the same edge point
    EXPECT_TRUE(model.fieldDragged(999, -1));
    EXPECT_EQ(model.currentHue(), 358);
    EXPECT_EQ(model.currentSaturation(), 1.0);
    model.fieldReleased();
    EXPECT_FALSE(model.fieldDragging());
    EXPECT_FALSE(model.fieldDragged(50, 50));
}

// ---- The scale ------------------------------------------------------------

TEST_F(ModelTest, scalePressInTheUpperHalfSetsSaturationOnly)
{
    shownWith(Red);
    EXPECT_TRUE(model.scalePressed(60));
    EXPECT_TRUE(model.scaleDragging());
    EXPECT_FALSE(model.takingFromScale());
    EXPECT_EQ(model.currentColour(), rgb(255, 164, 164));
    EXPECT_EQ(out.hue, 0.0);
    EXPECT_NEAR(*out.sat, 47.843137254902, 1e-9);
    EXPECT_FALSE(out.bri.has_value());
    EXPECT_EQ(out.green, 164);
    EXPECT_EQ(out.hex, "FFA4A4");
    // Taken from the scale: hue, saturation, base and cursor stay.
    EXPECT_EQ(model.currentHue(), 0);
    EXPECT_EQ(model.currentSaturation(), 1.0);
    EXPECT_EQ(model.scaleBase(), Red);
    EXPECT_EQ(model.cursorPoint(), (Point{0, 0}));
    // The marker goes to the first row that shows the colour.
    EXPECT_EQ(model.markerRow(), 58);
}

TEST_F(ModelTest, scalePressInTheLowerHalfSetsBrightnessOnly)
{
    shownWith(Red);
    model.scalePressed(200);
    EXPECT_NEAR(*out.bri, 42.519685039370, 1e-9);
    EXPECT_FALSE(out.sat.has_value());
    EXPECT_EQ(hexFieldText(model.currentColour()), "A20000");
    EXPECT_EQ(model.scaleBase(), Red);
}

TEST_F(ModelTest, scaleDragAboveGivesWhiteBelowBlack)
{
    shownWith(Red);
    model.scalePressed(100);
    EXPECT_TRUE(model.scaleDragged(-10));
    EXPECT_EQ(model.currentColour(), White);
    EXPECT_EQ(model.markerRow(), 0);
    EXPECT_NEAR(*out.sat, 0.784313725490, 1e-9); // from row 0, the clamped row
    out.clear();
    EXPECT_TRUE(model.scaleDragged(400));
    EXPECT_EQ(model.currentColour(), Black);
    EXPECT_LT(*out.bri, 0.0); // from row 255: below 0, which the field clamps
    EXPECT_EQ(model.markerRow(), 253);
    EXPECT_EQ(model.scaleBase(), Red);
    EXPECT_EQ(model.currentHue(), 0);
}

TEST_F(ModelTest, scaleDragSkipsRepeatsAndEndsWithTheRelease)
{
    shownWith(Red);
    EXPECT_FALSE(model.scaleDragged(10)); // no press, no drag
    model.scalePressed(100);
    EXPECT_FALSE(model.scaleDragged(100)); // the pressed row again
    EXPECT_TRUE(model.scaleDragged(50));
    out.clear();
    EXPECT_FALSE(model.scaleDragged(50));
    EXPECT_FALSE(out.hex.has_value());
    model.scaleReleased();
    EXPECT_FALSE(model.scaleDragging());
    EXPECT_FALSE(model.scaleDragged(60));
    // A new drag to where the last one ended is a move like any other.
    model.scalePressed(10);
    EXPECT_TRUE(model.scaleDragged(50));
    EXPECT_EQ(hexFieldText(model.currentColour()), "FFB2B2");
}

TEST_F(ModelTest, surfacesHearAboutTheirChanges)
{
    int scale = 0, marker = 0, cursor = 0;
    model.onScaleChanged = [&] { ++scale; };
    model.onMarkerChanged = [&] { ++marker; };
    model.onCursorChanged = [&] { ++cursor; };
    model.open(Red);
    EXPECT_GE(scale, 1);
    EXPECT_GE(marker, 1);
    EXPECT_GE(cursor, 1);
    scale = marker = cursor = 0;
    model.scalePressed(60);
    EXPECT_GE(scale, 1);
    EXPECT_GE(marker, 1);
    EXPECT_EQ(cursor, 0); // the cursor stays where it was
    model.scaleReleased();
    scale = marker = cursor = 0;
    model.fieldPressed(10, 10);
    EXPECT_GE(scale, 1);
    EXPECT_GE(cursor, 1);
}

} // namespace
