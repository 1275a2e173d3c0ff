#include <gtest/gtest.h>

#include "core/screen_snapping.h"

using namespace tintora;

TEST(ScreenSnapping, edgesWithinNinePixelsSnapTenDoNot)
{
    const Rect area{0, 0, 1920, 1040};
    const struct {
        Point proposed;
        Point result;
    } cases[] = {
        {{9, 300}, {0, 300}},       {{10, 300}, {10, 300}},     {{-9, 300}, {0, 300}},   {{-10, 300}, {-10, 300}},
        {{400, 9}, {400, 0}},       {{400, 10}, {400, 10}},
        // Right edge at 1920 - 9 and 1920 - 10.
        {{1708, 300}, {1717, 300}}, {{1707, 300}, {1707, 300}}, {{1726, 300}, {1717, 300}},
        // Bottom edge.
        {{400, 921}, {400, 930}},   {{400, 920}, {400, 920}},
        {{5, 5}, {0, 0}},           {{0, 5}, {0, 0}},           {{5, 0}, {0, 0}},
        // (0, 0) itself is never adjusted, even when the work area starts elsewhere.
        {{0, 0}, {0, 0}},
    };
    for (const auto& c : cases) {
        const Point p = snapToWorkArea(c.proposed, 203, 110, area);
        EXPECT_EQ(p, c.result) << c.proposed.x << "," << c.proposed.y;
    }
    EXPECT_EQ(snapToWorkArea({0, 0}, 203, 110, {30, 40, 800, 600}), (Point{0, 0}));
    EXPECT_EQ(snapToWorkArea({25, 45}, 203, 110, {30, 40, 800, 600}), (Point{30, 40}));
}

TEST(ScreenSnapping, laterEdgeWinsInANarrowArea)
{
    // Both the left and the right edge are near: right is tested later.
    EXPECT_EQ(snapToWorkArea({3, 300}, 203, 110, {0, 0, 210, 1000}), (Point{7, 300}));
}

// Beyond the 16 bits of an X11 window position a value would wrap around
// (65636 would land at 100): it is held at the end of the range instead, and
// stays off the screen.
TEST(ScreenSnapping, positionsBeyondTheWindowRangeAreHeldAtItsEnds)
{
    const Rect area{0, 0, 1920, 1040};
    const struct {
        Point proposed, expected;
    } cases[] = {
        {{65636, 300}, {32767, 300}},
        {{400, 65636}, {400, 32767}},
        {{-65636, 300}, {-32768, 300}},
        {{400, -98204}, {400, -32768}},
        {{2147483647, -2147483647 - 1}, {32767, -32768}},
        {{32767, -32768}, {32767, -32768}},
        {{32768, -32769}, {32767, -32768}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.proposed.x << ", " << c.proposed.y);
        EXPECT_EQ(snapToWorkArea(c.proposed, 203, 110, area), c.expected);
    }
}

TEST(Centring, inPrimaryWorkArea)
{
    EXPECT_EQ(centreInWorkArea(203, 110, {0, 0, 1920, 1040}), (Point{858, 465}));
    EXPECT_EQ(centreInWorkArea(203, 110, {100, 50, 1000, 700}), (Point{498, 345}));
    // Smaller than the window: never left of or above the work area.
    EXPECT_EQ(centreInWorkArea(203, 110, {10, 20, 100, 50}), (Point{10, 20}));
}
