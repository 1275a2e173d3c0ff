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

TEST(Centring, overAnotherWindowHeldInsideTheWorkAreasLeftAndTopEdges)
{
    const Rect area{0, 0, 1920, 1040};
    const struct {
        Rect over;
        int width, height;
        Point expected;
    } cases[] = {
        // The settings dialog over the main window centred in the work area.
        {{858, 465, 203, 110}, 237, 147, {841, 447}},
        // Odd differences: halves rounded toward zero, also below zero.
        {{100, 100, 203, 110}, 238, 148, {83, 81}},
        // Over a window at the work area's top-left corner: not left of or
        // above it, but free to pass its right and bottom edges.
        {{0, 0, 203, 110}, 237, 147, {0, 0}},
        {{1800, 1000, 203, 110}, 237, 147, {1783, 982}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.over.x << ", " << c.over.y);
        EXPECT_EQ(centreOver(c.over, c.width, c.height, area), c.expected);
    }
    EXPECT_EQ(centreOver({-100, 200, 203, 110}, 237, 147, {-1920, 0, 1920, 1040}), (Point{-117, 182}));
}

TEST(BesideWindow, rightOfItTopsAlignedElseLeftOfItAlwaysInsideTheWorkArea)
{
    const Rect area{0, 0, 1920, 1040};
    const struct {
        const char* what;
        Rect next;
        int width, height;
        Rect workArea;
        Point expected;
    } cases[] = {
        {"room on the right", {858, 465, 203, 110}, 320, 260, area, {1069, 465}},
        {"right edge exactly reached", {1389, 465, 203, 110}, 320, 260, area, {1600, 465}},
        {"one pixel short on the right", {1390, 465, 203, 110}, 320, 260, area, {1062, 465}},
        {"no room on either side", {100, 465, 1800, 110}, 320, 260, area, {0, 465}},
        {"lower than the work area allows", {858, 900, 203, 110}, 320, 260, area, {1069, 780}},
        {"above the work area", {858, -50, 203, 110}, 320, 260, area, {1069, 0}},
        {"left of the work area", {-300, 465, 203, 110}, 320, 260, area, {0, 465}},
        {"larger than the work area", {858, 465, 203, 110}, 2000, 1100, area, {0, 0}},
        {"on a monitor left of the primary", {-1000, 300, 203, 110}, 320, 260, {-1920, 0, 1920, 1040}, {-789, 300}},
        {"a work area below a panel", {858, 10, 203, 110}, 320, 260, {0, 30, 1920, 1010}, {1069, 30}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(besideWindow(c.next, c.width, c.height, 8, c.workArea), c.expected);
    }
}

TEST(StandingOn, bottomOnTheTopEdgeLeftEdgesAlignedWhereverThatIs)
{
    const struct {
        Rect below;
        Point expected;
    } cases[] = {
        {{858, 465, 203, 110}, {858, 262}},
        // Near the top: the window stands partly above the screen.
        {{0, 100, 203, 110}, {0, -103}},
        {{-1000, -20, 203, 110}, {-1000, -223}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.below.x << ", " << c.below.y);
        EXPECT_EQ(standingOn(c.below, 203), c.expected);
    }
}
