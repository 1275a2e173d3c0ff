#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/screen_image.h"

using namespace tintora;

namespace {

// Every pixel its own value, none of them black.
ScreenImage numbered(int width, int height)
{
    ScreenImage image{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height)};
    for (std::size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = 0x00100000u + static_cast<std::uint32_t>(i);
    return image;
}

std::string rectText(const Rect& r)
{
    return "(" + std::to_string(r.x) + ", " + std::to_string(r.y) + " " + std::to_string(r.width) + "x" +
           std::to_string(r.height) + ")";
}

} // namespace

// The image drawn as text after blackOutside: '#' a pixel kept with its own
// value, '.' black, '?' anything else.
TEST(BlackOutside, keepsExactlyWhatSomeMonitorShows)
{
    const struct Case {
        const char* name;
        std::vector<Rect> monitors;
        Point origin;
        std::vector<std::string> art; // its size is the image's
    } cases[] = {
        {"inside one monitor", {{0, 0, 10, 10}}, {2, 2}, {"####", "####", "####"}},
        {"on the edges of one monitor", {{0, 0, 4, 3}}, {0, 0}, {"####", "####", "####"}},
        {"a tall and a short monitor leave a gap",
         {{0, 0, 4, 6}, {4, 0, 4, 3}},
         {2, 1},
         {"#####", "#####", "##...", "##..."}},
        {"monitors side by side and one apart", {{0, 0, 2, 2}, {2, 0, 2, 2}, {5, 0, 2, 2}}, {0, 0},
         {"####.##.", "####.##."}},
        {"overlapping monitors", {{0, 0, 5, 3}, {3, 1, 5, 3}}, {0, 0},
         {"#####...", "########", "########", "...#####"}},
        // More area than their bounding box, and still a corner nobody shows.
        {"mirrored monitors and a third", {{0, 0, 4, 2}, {0, 0, 4, 2}, {2, 2, 2, 2}}, {0, 0},
         {"####", "####", "..##", "..##"}},
        {"block partly off every monitor", {{0, 0, 4, 4}}, {-2, -1}, {"....", "..##", "..##"}},
        {"block partly off, right and below", {{0, 0, 4, 4}}, {2, 3}, {"##..", "...."}},
        {"block wholly off every monitor", {{0, 0, 4, 4}}, {10, 0}, {"...", "..."}},
        {"monitors left of and above the origin", {{-4, -4, 4, 4}, {0, -3, 2, 2}}, {-2, -2},
         {"####", "##..", "....", "...."}},
        {"no monitors", {}, {0, 0}, {"...", "..."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int width = static_cast<int>(c.art.front().size());
        const int height = static_cast<int>(c.art.size());
        const ScreenImage before = numbered(width, height);
        ScreenImage image = before;
        blackOutside(image, c.origin, c.monitors);
        ASSERT_EQ(image.pixels.size(), before.pixels.size());
        std::vector<std::string> art;
        for (int y = 0; y < height; ++y) {
            std::string row;
            for (int x = 0; x < width; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * width + x;
                row += image.pixels[i] == before.pixels[i] ? '#' : image.pixels[i] == 0 ? '.' : '?';
            }
            art.push_back(row);
        }
        EXPECT_EQ(art, c.art);
    }
}

// A block of 3 x 2 pixels, rows 5 pixels apart, into a 4 x 3 image; the
// image drawn as text: '.' untouched, 'a' to 'f' the block's pixels in
// reading order, their top byte cleared, '?' anything else.
TEST(CopyBlock, copiesTheClippedBlockAtItsOffset)
{
    const std::uint32_t padding = 0xFFEEEEEEu; // between the rows: never copied
    const std::uint32_t block[] = {0xFF000001u, 0xFF000002u, 0xFF000003u, padding, padding,
                                   0xFF000004u, 0xFF000005u, 0xFF000006u, padding, padding};
    const std::uint32_t untouched = 0x00ABCDEFu;
    const struct Case {
        Point at;
        std::vector<std::string> art;
    } cases[] = {
        {{0, 0}, {"abc.", "def.", "...."}},
        {{1, 1}, {"....", ".abc", ".def"}},
        {{2, 2}, {"....", "....", "..ab"}},   // cut off right and below
        {{-1, -1}, {"ef..", "....", "...."}}, // cut off left and above
        {{4, 0}, {"....", "....", "...."}},   // beside the image
        {{0, -2}, {"....", "....", "...."}},  // above it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "at " << c.at.x << ", " << c.at.y);
        ScreenImage image{4, 3, std::vector<std::uint32_t>(12, untouched)};
        copyBlock(image, c.at, block, 5, 3, 2);
        std::vector<std::string> art;
        for (int y = 0; y < 3; ++y) {
            std::string row;
            for (int x = 0; x < 4; ++x) {
                const std::uint32_t v = image.pixels[static_cast<std::size_t>(y) * 4 + x];
                row += v == untouched ? '.' : v >= 1 && v <= 6 ? static_cast<char>('a' + v - 1) : '?';
            }
            art.push_back(row);
        }
        EXPECT_EQ(art, c.art);
    }
}

// A grab reuses its image tick after tick: the same size keeps the pixels
// and their storage, any other size is all black.
TEST(ResizeImage, keepsTheSameSizeAndBlacksANewOne)
{
    ScreenImage image = numbered(3, 2);
    const std::vector<std::uint32_t> pixels = image.pixels;
    const std::uint32_t* storage = image.pixels.data();
    resizeImage(image, 3, 2);
    EXPECT_EQ(image.pixels, pixels);
    EXPECT_EQ(image.pixels.data(), storage);

    const struct Case {
        int width, height;
        Rect expected; // width and height only
    } cases[] = {{2, 3, {0, 0, 2, 3}}, {5, 4, {0, 0, 5, 4}}, {-3, 2, {0, 0, 0, 2}}, {4, -1, {0, 0, 4, 0}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(rectText({0, 0, c.width, c.height}));
        image = numbered(3, 2);
        resizeImage(image, c.width, c.height);
        EXPECT_EQ(image.width, c.expected.width);
        EXPECT_EQ(image.height, c.expected.height);
        EXPECT_EQ(image.pixels, std::vector<std::uint32_t>(static_cast<std::size_t>(c.expected.width) * c.expected.height, 0u));
    }

    image = numbered(3, 2);
    clearImage(image);
    EXPECT_EQ(image.pixels, std::vector<std::uint32_t>(6, 0u));
}
