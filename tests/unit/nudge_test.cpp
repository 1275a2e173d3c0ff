#include <gtest/gtest.h>

#include "core/commands.h"
#include "pointer/pointer_aids.h"

using namespace tintora;

TEST(Nudge, onePixelAlongTheFreeAxes)
{
    const Rect desktop{-1920, 0, 3840, 1080};
    const Point p{100, 200};
    const struct {
        int key;
        bool rowLocked, columnLocked;
        std::optional<Point> target;
    } cases[] = {
        {keys::Left, false, false, Point{99, 200}},
        {keys::Right, false, false, Point{101, 200}},
        {keys::Up, false, false, Point{100, 199}},
        {keys::Down, false, false, Point{100, 201}},
        // The row lock holds the row, the column lock the column.
        {keys::Left, true, false, Point{99, 200}},
        {keys::Right, true, false, Point{101, 200}},
        {keys::Up, true, false, std::nullopt},
        {keys::Down, true, false, std::nullopt},
        {keys::Left, false, true, std::nullopt},
        {keys::Right, false, true, std::nullopt},
        {keys::Up, false, true, Point{100, 199}},
        {keys::Down, false, true, Point{100, 201}},
        {keys::Left, true, true, std::nullopt},
        {keys::Down, true, true, std::nullopt},
        {keys::Space, false, false, std::nullopt},
        {'L', false, false, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nudgeTarget(p, c.key, c.rowLocked, c.columnLocked, desktop), c.target)
            << "key " << c.key << " row " << c.rowLocked << " column " << c.columnLocked;
}

TEST(Nudge, staysOnTheDesktop)
{
    const Rect desktop{-1920, 0, 3840, 1080};
    EXPECT_EQ(nudgeTarget({-1920, 5}, keys::Left, false, false, desktop), std::nullopt);
    EXPECT_EQ(nudgeTarget({-1919, 5}, keys::Left, false, false, desktop), (Point{-1920, 5}));
    EXPECT_EQ(nudgeTarget({1919, 5}, keys::Right, false, false, desktop), std::nullopt);
    EXPECT_EQ(nudgeTarget({0, 0}, keys::Up, false, false, desktop), std::nullopt);
    EXPECT_EQ(nudgeTarget({0, 1079}, keys::Down, false, false, desktop), std::nullopt);
    EXPECT_EQ(nudgeTarget({0, 1078}, keys::Down, false, false, desktop), (Point{0, 1079}));
}
