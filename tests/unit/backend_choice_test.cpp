#include <gtest/gtest.h>

#include "platform/backend_choice.h"

using namespace tintora;

namespace {

const DisplayServerCheck RealX{true, false, {}};
const DisplayServerCheck Xwayland{true, true, {}};
const DisplayServerCheck NoX{false, false, "Cannot open the X11 display \":7\"."};
const DisplayServerCheck Compositor{true, false, {}};
const DisplayServerCheck WlrootsCompositor{true, false, {}, true};
const DisplayServerCheck NoCompositor{false, false, "Cannot reach the Wayland display \"/run/w\"."};

TEST(BackendChoice, table)
{
    const struct {
        const char* name;
        std::optional<DisplayServerCheck> x11;     // nothing: $DISPLAY not set
        std::optional<DisplayServerCheck> wayland; // nothing: $WAYLAND_DISPLAY not set
        std::optional<Backend> chosen;
        bool waylandAsked;
        std::vector<const char*> whyHolds; // for no backend
    } cases[] = {
        {"nothing set", std::nullopt, std::nullopt, std::nullopt, false,
         {"$DISPLAY is not set", "$WAYLAND_DISPLAY is not set", "ScreenCast portal", "sway"}},
        {"a real X server wins", RealX, Compositor, Backend::X11, false, {}},
        {"a real X server alone", RealX, std::nullopt, Backend::X11, false, {}},
        {"Xwayland gives way to Wayland", Xwayland, Compositor, Backend::Wayland, true, {}},
        {"Xwayland without a Wayland display", Xwayland, std::nullopt, Backend::X11, false, {}},
        {"Xwayland, the compositor unreachable", Xwayland, NoCompositor, std::nullopt, true,
         {"Xwayland", "Cannot reach the Wayland display \"/run/w\"."}},
        {"no X server, a compositor", NoX, Compositor, Backend::Wayland, true, {}},
        {"no X server, no Wayland display", NoX, std::nullopt, std::nullopt, false,
         {"Cannot open the X11 display \":7\".", "$WAYLAND_DISPLAY is not set"}},
        {"only a Wayland display", std::nullopt, Compositor, Backend::Wayland, true, {}},
        {"a wlroots compositor", std::nullopt, WlrootsCompositor, Backend::Wlroots, true, {}},
        {"Xwayland gives way to a wlroots compositor", Xwayland, WlrootsCompositor, Backend::Wlroots, true, {}},
        {"a real X server wins over a wlroots compositor", RealX, WlrootsCompositor, Backend::X11, false, {}},
        {"only an unreachable Wayland display", std::nullopt, NoCompositor, std::nullopt, true,
         {"$DISPLAY is not set", "Cannot reach the Wayland display"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int x11Asked = 0, waylandAsked = 0;
        const BackendChoice choice = chooseBackendFor(
            c.x11.has_value(), [&] { return ++x11Asked, c.x11.value_or(DisplayServerCheck{}); }, c.wayland.has_value(),
            [&] { return ++waylandAsked, c.wayland.value_or(DisplayServerCheck{}); });
        EXPECT_EQ(choice.backend, c.chosen);
        EXPECT_EQ(x11Asked, c.x11 ? 1 : 0);
        EXPECT_EQ(waylandAsked, c.waylandAsked ? 1 : 0);
        EXPECT_EQ(choice.why.empty(), c.chosen.has_value()) << choice.why;
        for (const char* part : c.whyHolds) EXPECT_NE(choice.why.find(part), std::string::npos) << choice.why;
    }
}

} // namespace
