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

TEST(Centring, inPrimaryWorkArea)
{
    EXPECT_EQ(centreInWorkArea(203, 110, {0, 0, 1920, 1040}), (Point{858, 465}));
    EXPECT_EQ(centreInWorkArea(203, 110, {100, 50, 1000, 700}), (Point{498, 345}));
    // Smaller than the window: never left of or above the work area.
    EXPECT_EQ(centreInWorkArea(203, 110, {10, 20, 100, 50}), (Point{10, 20}));
}
