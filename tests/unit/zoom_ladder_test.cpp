#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "magnifier/zoom_ladder.h"

using namespace tintora;

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

std::vector<double> steps(double zoom, int count, double (*step)(double))
{
    std::vector<double> out;
    for (int i = 0; i < count; ++i) out.push_back(zoom = step(zoom));
    return out;
}

} // namespace

TEST(ZoomLadder, menuItemsSelectTheirRungAndCheckIt)
{
    double previous = 0;
    for (std::size_t i = 0; i < ZoomLadder.size(); ++i) {
        const ZoomItem& item = ZoomLadder[i];
        EXPECT_EQ(zoomForTag(item.tag), item.zoom) << item.caption;
        EXPECT_EQ(checkedZoomItem(zoomForTag(item.tag)), i) << item.caption;
        // The steps go to the neighbouring item, so the menu runs upwards.
        EXPECT_GT(item.zoom, previous) << item.caption;
        previous = item.zoom;
    }
    EXPECT_EQ(ZoomLadder.front().caption, "0.5x");
    EXPECT_EQ(ZoomLadder.back().caption, "32x");
}

TEST(ZoomLadder, offTheLadderNothingIsChecked)
{
    for (double zoom : {0.0, -0.0, 0.25, 0.75, 1.5, 2.5, 2.0000000001, 5.0, 33.0, 40.0, -1.0, -0.5, 1e300, NaN, Inf})
        EXPECT_EQ(checkedZoomItem(zoom), std::nullopt) << "zoom " << zoom;
}

TEST(ZoomSteps, fromRungsAndFromValuesOffTheLadder)
{
    const struct {
        double from;
        double up;
        double down;
    } cases[] = {
        // The rungs.
        {0.5, 1, 0.5}, {1, 2, 0.5}, {2, 3, 1}, {3, 4, 2}, {4, 8, 3}, {8, 16, 4}, {16, 32, 8}, {32, 32, 16},
        // Off the ladder: the rung of the nearest whole number, ties to even ...
        {2.5, 3, 1}, {1.5, 3, 1}, {3.5, 8, 3}, {0.75, 2, 0.5}, {0.5000001, 2, 0.5}, {4.5, 8, 3},
        {31.6, 32, 16}, {32.4, 32, 16},
        // ... or else one up or down, with no ceiling.
        {5, 6, 4}, {6, 7, 5}, {7, 8, 6}, {6.5, 7.5, 5.5}, {33, 34, 32}, {40, 41, 39}, {0.4, 1.4, 0.5},
        // Never below 0.5.
        {0.3, 1.3, 0.5}, {0, 1, 0.5}, {-1, 0.5, 0.5}, {-40, 0.5, 0.5},
        // Not a number or infinite: as from 2.
        {NaN, 3, 1}, {Inf, 3, 1}, {-Inf, 3, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(zoomStepUp(c.from), c.up) << "up from " << c.from;
        EXPECT_EQ(zoomStepDown(c.from), c.down) << "down from " << c.from;
    }
    EXPECT_EQ(zoomStepUp(1e300), 1e300);
}

TEST(ZoomSteps, repeatedStepsReachTheRungs)
{
    using Zooms = std::vector<double>;
    EXPECT_EQ(steps(1, 7, zoomStepUp), (Zooms{2, 3, 4, 8, 16, 32, 32}));
    EXPECT_EQ(steps(32, 8, zoomStepDown), (Zooms{16, 8, 4, 3, 2, 1, 0.5, 0.5}));
    EXPECT_EQ(steps(6, 3, zoomStepUp), (Zooms{7, 8, 16}));
    EXPECT_EQ(steps(40, 8, zoomStepDown), (Zooms{39, 38, 37, 36, 35, 34, 33, 32}));
    EXPECT_EQ(checkedZoomItem(steps(40, 8, zoomStepDown).back()), 7u);
}

TEST(ZoomSteps, neverBelowTheBottomRung)
{
    for (double z = -50.0; z <= 50.0; z += 0.125) {
        ASSERT_GE(zoomStepUp(z), 0.5) << "up from " << z;
        ASSERT_GE(zoomStepDown(z), 0.5) << "down from " << z;
    }
}
