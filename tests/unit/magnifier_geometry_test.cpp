#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "magnifier/magnifier_geometry.h"

using namespace tintora;

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr int Picture = 201; // the magnifier's picture is 201 x 201

std::string text(const Rect& r)
{
    return "(" + std::to_string(r.x) + ", " + std::to_string(r.y) + " " + std::to_string(r.width) + "x" +
           std::to_string(r.height) + ")";
}

ScreenImage image(int w, int h, std::uint32_t fill = 0)
{
    return {w, h, std::vector<std::uint32_t>(static_cast<std::size_t>(w) * h, fill)};
}

std::uint32_t& at(ScreenImage& img, int x, int y) { return img.pixels[static_cast<std::size_t>(y) * img.width + x]; }

// The image drawn as text: '.' untouched, '#' crosshair black, 'R' the red centre.
std::vector<std::string> crosshairArt(int w, int h)
{
    ScreenImage img = image(w, h, 0x00123456u);
    drawCrosshair(img);
    std::vector<std::string> rows;
    for (int y = 0; y < h; ++y) {
        std::string row;
        for (int x = 0; x < w; ++x) {
            const std::uint32_t v = at(img, x, y);
            row += v == 0x00123456u ? '.' : v == 0 ? '#' : v == 0x00FF0000u ? 'R' : '?';
        }
        rows.push_back(row);
    }
    return rows;
}

} // namespace

TEST(RoundHalfEven, tiesGoToTheEvenNeighbour)
{
    const struct {
        double v;
        double rounded;
    } cases[] = {
        {100.5, 100},  {33.5, 34},    {0.5, 0},      {1.5, 2},     {2.5, 2},       {3.5, 4},
        {-0.5, 0},     {-2.5, -2},    {-3.5, -4},    {50.25, 50},  {12.5625, 13},  {6.28125, 6},
        {3.140625, 3}, {25.125, 25},  {-1.75, -2},   {2.4999999999999996, 2},      {0.49999999999999994, 0},
        // Largest doubles with a fraction, and beyond.
        {4503599627370495.5, 4503599627370496.0}, {4503599627370494.5, 4503599627370494.0}, {1e300, 1e300},
    };
    for (const auto& c : cases) EXPECT_EQ(roundHalfEven(c.v), c.rounded) << "v = " << c.v;
    EXPECT_TRUE(std::isnan(roundHalfEven(NaN)));
    EXPECT_EQ(roundHalfEven(Inf), Inf);
    EXPECT_EQ(roundHalfEven(-Inf), -Inf);
}

TEST(RoundHalfEven, independentOfTheRoundingMode)
{
    struct RestoreMode {
        int mode = std::fegetround();
        ~RestoreMode() { std::fesetround(mode); }
    } restore;
    volatile double inputs[] = {2.5, 3.5, 2.7, -2.5, -2.7};
    const double expected[] = {2, 4, 3, -2, -3};
    for (int mode : {FE_DOWNWARD, FE_UPWARD, FE_TOWARDZERO}) {
        ASSERT_EQ(std::fesetround(mode), 0);
        for (int i = 0; i < 5; ++i) EXPECT_EQ(roundHalfEven(inputs[i]), expected[i]) << "mode " << mode;
    }
}

TEST(SourceBlock, ladderRungsAroundThePointer)
{
    const struct {
        double zoom;
        int d;
        int size;
    } cases[] = {{0.5, 201, 403}, {1, 100, 201}, {2, 50, 101}, {3, 34, 69},
                 {4, 25, 51},     {8, 13, 27},   {16, 6, 13},  {32, 3, 7}};
    const Point pointer{1000, 500};
    for (const auto& c : cases) {
        const Rect expected{1000 - c.d, 500 - c.d, c.size, c.size};
        const Rect block = sourceBlock(pointer, Picture, Picture, c.zoom);
        EXPECT_EQ(block, expected) << "zoom " << c.zoom << ": " << text(block);
    }
}

TEST(SourceBlock, notClampedToTheScreenAndAxesKeptApart)
{
    // Pointer in the top left corner at zoom 2: (-50, -50) to (51, 51).
    const Rect corner = sourceBlock({0, 0}, Picture, Picture, 2.0);
    EXPECT_EQ(corner, (Rect{-50, -50, 101, 101})) << text(corner);
    EXPECT_EQ(corner.right(), 51);

    const Rect wide = sourceBlock({-5, -20}, 201, 101, 2.0);
    EXPECT_EQ(wide, (Rect{-55, -45, 101, 51})) << text(wide);
}

TEST(SourceBlock, anyZoomGivesABoundedBlockCentredOnThePointer)
{
    const struct {
        double zoom;
        int size;
    } cases[] = {
        // At or near zero: the widest block there is.
        {0.0, 403}, {1e-300, 403}, {std::numeric_limits<double>::denorm_min(), 403}, {0.25, 403}, {0.4999, 403},
        // Huge, infinite, negative or not a number: the pointer's pixel alone.
        {1e300, 1}, {Inf, 1}, {-Inf, 1}, {NaN, 1}, {-1.0, 1}, {-0.0, 1}, {-1e-300, 1}, {402.0, 1},
        // Down to one pixel either side; 100.5 / 67 = 1.5 goes to 2.
        {100.0, 3}, {67.0, 5},
    };
    const Point pointer{7, -3};
    for (const auto& c : cases) {
        const Rect block = sourceBlock(pointer, Picture, Picture, c.zoom);
        const int d = (c.size - 1) / 2;
        EXPECT_EQ(block, (Rect{7 - d, -3 - d, c.size, c.size})) << "zoom " << c.zoom << ": " << text(block);
    }
}

TEST(DrawCrosshair, pictureOf201)
{
    ScreenImage img = image(Picture, Picture, 0x00123456u);
    drawCrosshair(img);
    int wrong = 0;
    for (int y = 0; y < Picture; ++y)
        for (int x = 0; x < Picture; ++x) {
            const bool onLine = (y == 100 && x >= 50 && x <= 150) || (x == 100 && y >= 50 && y <= 150);
            const std::uint32_t expected = x == 100 && y == 100 ? 0x00FF0000u : onLine ? 0u : 0x00123456u;
            if (at(img, x, y) != expected && ++wrong <= 5)
                ADD_FAILURE() << "(" << x << ", " << y << ") = " << std::hex << at(img, x, y);
        }
    EXPECT_EQ(wrong, 0);
}

TEST(DrawCrosshair, otherSizes)
{
    using Art = std::vector<std::string>;
    // Width and height each set their own line; a centre of x.5 goes to the even pixel.
    EXPECT_EQ(crosshairArt(8, 4), (Art{
                                      "........",
                                      "....#...",
                                      "..##R#..",
                                      "........",
                                  }));
    EXPECT_EQ(crosshairArt(7, 3), (Art{
                                      ".......",
                                      "....#..",
                                      "..##R..",
                                  }));
    EXPECT_EQ(crosshairArt(5, 5), (Art{
                                      ".....",
                                      "..#..",
                                      ".#R#.",
                                      "..#..",
                                      ".....",
                                  }));
    EXPECT_EQ(crosshairArt(1, 1), (Art{"R"}));
    EXPECT_TRUE(crosshairArt(0, 0).empty());
}

TEST(StretchInto, enlargingReplicatesWholePixels)
{
    ScreenImage src = image(3, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) at(src, x, y) = 0x00100000u * (y + 1) + 0x0101u * (x + 1);
    ScreenImage dst = image(7, 7);
    stretchInto(src, dst);
    const int from[7] = {0, 0, 0, 1, 1, 2, 2};
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(at(dst, x, y), at(src, from[x], from[y])) << "(" << x << ", " << y << ")";
}

TEST(StretchInto, sameSizeIsACopy)
{
    ScreenImage src = image(Picture, Picture);
    for (std::size_t i = 0; i < src.pixels.size(); ++i) src.pixels[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFFu;
    ScreenImage dst = image(Picture, Picture);
    stretchInto(src, dst);
    EXPECT_EQ(dst.pixels, src.pixels);
}

TEST(StretchInto, reducingAndsTheCombinedPixels)
{
    // Source column x clears blue bit x, source row y clears green bit y.
    ScreenImage src = image(5, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) at(src, x, y) = 0x00FFFFFFu & ~(1u << x) & ~(1u << (8 + y));
    ScreenImage dst = image(2, 2);
    stretchInto(src, dst);
    // Columns 0-1 and 2-4, rows likewise.
    EXPECT_EQ(dst.pixels, (std::vector<std::uint32_t>{0xFFFCFC, 0xFFFCE3, 0xFFE3FC, 0xFFE3E3}));
}

TEST(StretchInto, halfZoomCombinesTwoOrThreeColumns)
{
    // Source column x clears bit x % 12, source row y bit 12 + y % 12.
    ScreenImage src = image(403, 403);
    for (int y = 0; y < 403; ++y)
        for (int x = 0; x < 403; ++x) at(src, x, y) = 0x00FFFFFFu & ~(1u << (x % 12)) & ~(1u << (12 + y % 12));
    ScreenImage dst = image(Picture, Picture);
    stretchInto(src, dst);
    EXPECT_EQ(at(dst, 0, 0), 0xFFCFFCu);     // columns 0-1, rows 0-1
    EXPECT_EQ(at(dst, 100, 0), 0xFFCCFFu);   // columns 200-201
    EXPECT_EQ(at(dst, 199, 0), 0xFFCFF3u);   // columns 398-399
    EXPECT_EQ(at(dst, 200, 0), 0xFFCF8Fu);   // columns 400-402
    EXPECT_EQ(at(dst, 200, 200), 0xF8FF8Fu); // and rows 400-402
}

TEST(StretchInto, thinDarkLinesSurviveReduction)
{
    // The pointer's column and row at zoom 0.5, one pixel wide.
    ScreenImage src = image(403, 403, 0x00FFFFFFu);
    for (int i = 0; i < 403; ++i) at(src, 201, i) = at(src, i, 201) = 0x00000080u;
    ScreenImage dst = image(Picture, Picture);
    stretchInto(src, dst);
    for (int i = 0; i < Picture; ++i) {
        EXPECT_EQ(at(dst, 100, i), 0x80u) << "row " << i;
        EXPECT_EQ(at(dst, i, 100), 0x80u) << "column " << i;
        if (i != 100) {
            EXPECT_EQ(at(dst, 99, i), 0xFFFFFFu) << "row " << i;
            EXPECT_EQ(at(dst, 101, i), 0xFFFFFFu) << "row " << i;
        }
    }
}

TEST(StretchInto, crosshairCentreShowsThePointersPixelOnEveryRung)
{
    for (double zoom : {0.5, 1.0, 2.0, 3.0, 4.0, 8.0, 16.0, 32.0}) {
        const Rect block = sourceBlock({0, 0}, Picture, Picture, zoom);
        ScreenImage src = image(block.width, block.height, 0x00FFFFFFu);
        at(src, -block.x, -block.y) = 0x000000FFu; // the pointer's pixel
        ScreenImage dst = image(Picture, Picture);
        stretchInto(src, dst);
        EXPECT_EQ(at(dst, 100, 100), 0x000000FFu) << "zoom " << zoom;
    }
}

TEST(StretchInto, eachAxisOnItsOwn)
{
    // Three columns onto six, six rows onto three: columns repeat, rows pair up.
    ScreenImage src = image(3, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 3; ++x) at(src, x, y) = 0x00FFFFFFu & ~(1u << (3 * y + x));
    ScreenImage dst = image(6, 3);
    stretchInto(src, dst);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(at(dst, x, y), at(src, x / 2, 2 * y) & at(src, x / 2, 2 * y + 1)) << "(" << x << ", " << y << ")";
}

// Every destination pixel against the rule written out directly, for sizes
// that divide, that do not, and that are far apart either way.
TEST(StretchInto, followsTheSpanRuleForAnySizes)
{
    const std::pair<int, int> sizes[] = {{7, 201},  {13, 201}, {101, 201}, {100, 200}, {201, 201},
                                         {403, 201}, {1000, 7}, {5, 1},     {1, 9},     {2, 3}};
    for (const auto& [sw, dw] : sizes) {
        for (const auto& [sh, dh] : {std::pair{sw, dw}, std::pair{dw, sw}}) {
            ScreenImage src = image(sw, sh);
            for (std::size_t i = 0; i < src.pixels.size(); ++i)
                src.pixels[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFFu;
            ScreenImage dst = image(dw, dh);
            stretchInto(src, dst);
            const auto span = [](int i, int s, int d) {
                const long long b = 1LL * i * s / d, e = 1LL * (i + 1) * s / d;
                return std::pair<int, int>(static_cast<int>(b), static_cast<int>(std::max(e, b + 1)));
            };
            int wrong = 0;
            for (int y = 0; y < dh; ++y)
                for (int x = 0; x < dw; ++x) {
                    std::uint32_t expected = 0xFFFFFFFFu;
                    const auto [r0, r1] = span(y, sh, dh);
                    const auto [c0, c1] = span(x, sw, dw);
                    for (int sy = r0; sy < r1; ++sy)
                        for (int sx = c0; sx < c1; ++sx) expected &= at(src, sx, sy);
                    wrong += at(dst, x, y) != expected;
                }
            EXPECT_EQ(wrong, 0) << sw << " x " << sh << " onto " << dw << " x " << dh;
        }
    }
}

TEST(StretchInto, reusesTheDestinationsPixels)
{
    ScreenImage dst = image(Picture, Picture, 0x00ABCDEFu);
    const std::uint32_t* storage = dst.pixels.data();
    stretchInto(image(101, 101, 0x00111111u), dst);
    stretchInto(image(7, 7, 0x00222222u), dst);
    EXPECT_EQ(dst.pixels.data(), storage);
    EXPECT_EQ(dst.width, Picture);
    EXPECT_EQ(dst.pixels, std::vector<std::uint32_t>(Picture * Picture, 0x00222222u));

    // A destination whose pixels do not match its size gets them; an empty
    // source leaves it black.
    ScreenImage fresh{4, 3, {}};
    stretchInto(ScreenImage{}, fresh);
    EXPECT_EQ(fresh.pixels, std::vector<std::uint32_t>(12, 0u));
}

TEST(CoordinateText, decimalWithSign)
{
    EXPECT_EQ(coordinateText({1024, 768}), "1024 x 768");
    EXPECT_EQ(coordinateText({-5, -20}), "-5 x -20");
    EXPECT_EQ(coordinateText({0, 0}), "0 x 0");
}
