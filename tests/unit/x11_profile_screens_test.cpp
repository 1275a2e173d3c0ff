// Which screen's root properties and which output's property describe a
// point on X11, and the parts of every screen that the list of profiles
// names, on layouts as servers give them: an output split into two RandR
// monitors, a monitor laid over the automatic one, a tiled monitor of two
// outputs, mirrored CRTCs, and servers without monitors.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/x11/x11_profile_screens.h"

using namespace tintora;
using namespace tintora::x11;

namespace {

// A layout: the screens as the server lists them and the CRTCs that show
// something.
struct Layout {
    const char* name;
    std::vector<ProfileScreen> screens;
    std::vector<ShownOutput> crtcs;
};

// Xvfb's one output "screen" split in two: "left" made of it, "right" of no
// output (xrandr --setmonitor right ... none).
Layout splitOutput()
{
    return {"an output split into two monitors",
            {{"left", {0, 0, 960, 1080}, {7}}, {"right", {960, 0, 960, 1080}, {}}},
            {{{0, 0, 1920, 1080}, 7, "screen"}}};
}

// Only "right" defined: the server lists it first, then the automatic
// monitor of the CRTC, which overlaps it.
Layout monitorOverTheAutomaticOne()
{
    return {"a monitor over the automatic one",
            {{"right", {960, 0, 960, 1080}, {}}, {"screen", {0, 0, 1920, 1080}, {7}}},
            {{{0, 0, 1920, 1080}, 7, "screen"}}};
}

// One monitor of two outputs side by side, each with a CRTC of its own.
Layout tiledMonitor()
{
    return {"a tiled monitor",
            {{"tiled", {0, 0, 3840, 2160}, {21, 22}}, {"HDMI-1", {3840, 0, 1920, 1080}, {30}}},
            {{{0, 0, 1920, 2160}, 21, "DP-1-1"}, {{1920, 0, 1920, 2160}, 22, "DP-1-2"}, {{3840, 0, 1920, 1080}, 30, "HDMI-1"}}};
}

// Two CRTCs mirrored at the same place, each the automatic monitor of its
// output.
Layout mirrored()
{
    return {"mirrored CRTCs",
            {{"eDP-1", {0, 0, 1920, 1080}, {1}}, {"HDMI-1", {0, 0, 1920, 1080}, {2}}},
            {{{0, 0, 1920, 1080}, 1, "eDP-1"}, {{0, 0, 1920, 1080}, 2, "HDMI-1"}}};
}

// The CRTC that shows p, the first otherwise, as the screen picks it.
const ShownOutput& crtcAt(const Layout& layout, Point p)
{
    for (const ShownOutput& c : layout.crtcs)
        if (c.rect.contains(p)) return c;
    return layout.crtcs.front();
}

} // namespace

TEST(X11ProfileScreens, theScreenAndOutputOfAPoint)
{
    struct Case {
        Layout layout;
        Point p;
        int screen;
        OutputId output; // whose property applies; 0: the root's alone
    };
    const Case cases[] = {
        {splitOutput(), {100, 50}, 0, 7},
        {splitOutput(), {1500, 50}, 1, 0},
        {splitOutput(), {959, 1079}, 0, 7},
        {splitOutput(), {960, 0}, 1, 0},
        // No monitor holds it: the one made of the output that shows it.
        {splitOutput(), {2500, 50}, 0, 7},
        {monitorOverTheAutomaticOne(), {1500, 50}, 0, 0},
        {monitorOverTheAutomaticOne(), {100, 50}, 1, 7},
        {tiledMonitor(), {100, 50}, 0, 21},
        {tiledMonitor(), {3000, 2000}, 0, 22},
        {tiledMonitor(), {4000, 50}, 1, 30},
        // Below HDMI-1, on no monitor and no CRTC: the first CRTC's.
        {tiledMonitor(), {4000, 1500}, 0, 21},
        // Under mirrored CRTCs the first listed has every point.
        {mirrored(), {10, 10}, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.layout.name << " at " << c.p.x << "," << c.p.y);
        const OutputId shownBy = crtcAt(c.layout, c.p).output;
        const int screen = profileScreenAt(c.layout.screens, c.p, shownBy);
        EXPECT_EQ(screen, c.screen);
        ASSERT_GE(screen, 0);
        EXPECT_EQ(profileOutputOf(c.layout.screens[static_cast<std::size_t>(screen)], shownBy), c.output);
    }
    EXPECT_EQ(profileScreenAt({}, {0, 0}, 7), -1);
}

// A monitor made of an output that does not show the point still has that
// output's property: the server's word on what the monitor is made of holds.
TEST(X11ProfileScreens, aMonitorHasThePropertyOfTheOutputItIsMadeOf)
{
    const ProfileScreen madeOfTwo{"m", {0, 0, 100, 100}, {5, 6}};
    const ProfileScreen madeOfNone{"n", {0, 0, 100, 100}, {}};
    EXPECT_EQ(profileOutputOf(madeOfTwo, 6), 6u);
    EXPECT_EQ(profileOutputOf(madeOfTwo, 9), 5u);
    EXPECT_EQ(profileOutputOf(madeOfTwo, 0), 5u);
    EXPECT_EQ(profileOutputOf(madeOfNone, 9), 0u);
}

// Without monitors the CRTCs are the screens, the primary output's first and
// the others in the server's order.
TEST(X11ProfileScreens, withoutMonitorsTheCrtcsThePrimaryFirst)
{
    const std::vector<ShownOutput> crtcs = {
        {{0, 0, 800, 600}, 11, "A"}, {{800, 0, 800, 600}, 12, "B"}, {{1600, 0, 800, 600}, 13, "C"},
        {{2400, 0, 800, 600}, 0, ""}};
    struct Case {
        OutputId primary;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {0, {"A", "B", "C", ""}},
        {11, {"A", "B", "C", ""}},
        {13, {"C", "A", "B", ""}},
        {12, {"B", "A", "C", ""}},
        {99, {"A", "B", "C", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "primary " << c.primary);
        const std::vector<ProfileScreen> screens = screensOfCrtcs(crtcs, c.primary);
        std::vector<std::string> names;
        for (const ProfileScreen& s : screens) names.push_back(s.name);
        EXPECT_EQ(names, c.names);
    }
    const std::vector<ProfileScreen> screens = screensOfCrtcs(crtcs, 12);
    EXPECT_EQ(screens[0].rect, (Rect{800, 0, 800, 600}));
    EXPECT_EQ(screens[0].outputs, std::vector<OutputId>{12});
    EXPECT_TRUE(screens[3].outputs.empty()) << "a CRTC without an output makes a screen of none";
}

TEST(X11ProfileScreens, theListNamesEveryScreenWithTheCrtcsThatShowIt)
{
    struct Case {
        Layout layout;
        std::vector<std::pair<int, int>> parts; // screen, CRTC
    };
    Layout beyondTheCrtcs = splitOutput();
    beyondTheCrtcs.screens.push_back({"far", {4000, 0, 100, 100}, {}});
    const Case cases[] = {
        {splitOutput(), {{0, 0}, {1, 0}}},
        {monitorOverTheAutomaticOne(), {{0, 0}, {1, 0}}},
        {tiledMonitor(), {{0, 0}, {0, 1}, {1, 2}}},
        {mirrored(), {{0, 0}, {1, 1}}},
        {beyondTheCrtcs, {{0, 0}, {1, 0}, {2, -1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.layout.name);
        std::vector<std::pair<int, int>> parts;
        for (const ScreenPart& part : screenParts(c.layout.screens, c.layout.crtcs))
            parts.emplace_back(part.screen, part.crtc);
        EXPECT_EQ(parts, c.parts);
    }
}

// Whatever point is asked, its answer (screen, output property, the output
// whose ramp is checked) is one the list names: the list and the look-up of
// a point never disagree.
TEST(X11ProfileScreens, everyPointsAnswerIsOneTheListNames)
{
    for (const Layout& layout : {splitOutput(), monitorOverTheAutomaticOne(), tiledMonitor(), mirrored()}) {
        SCOPED_TRACE(layout.name);
        struct Answer {
            int screen;
            OutputId property;
            std::string rampOf;
            bool operator==(const Answer&) const = default;
        };
        std::vector<Answer> listed;
        for (const ScreenPart& part : screenParts(layout.screens, layout.crtcs)) {
            const ShownOutput& crtc = layout.crtcs[static_cast<std::size_t>(part.crtc)];
            listed.push_back({part.screen,
                              profileOutputOf(layout.screens[static_cast<std::size_t>(part.screen)], crtc.output),
                              crtc.name});
        }
        for (int y = 0; y < 2200; y += 50)
            for (int x = 0; x < 5800; x += 50) {
                const Point p{x, y};
                const bool shown = std::any_of(layout.crtcs.begin(), layout.crtcs.end(),
                                               [p](const ShownOutput& c) { return c.rect.contains(p); });
                if (!shown) continue;
                const ShownOutput& crtc = crtcAt(layout, p);
                const int screen = profileScreenAt(layout.screens, p, crtc.output);
                ASSERT_GE(screen, 0);
                const Answer answer{screen, profileOutputOf(layout.screens[static_cast<std::size_t>(screen)], crtc.output),
                                    crtc.name};
                EXPECT_NE(std::find(listed.begin(), listed.end(), answer), listed.end()) << "at " << x << "," << y;
            }
    }
}
