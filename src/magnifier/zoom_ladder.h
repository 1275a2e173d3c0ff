#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace tintora {

// One item of the magnifier's zoom menu.
struct ZoomItem {
    std::string_view caption;
    int tag;                  // the whole factor; 0 stands for 0.5
    double zoom;              // the zoom the item selects
};

// The eight rungs of the zoom ladder, in menu order.
inline constexpr std::array<ZoomItem, 8> ZoomLadder{{
    {"0.5x", 0, 0.5},
    {"1x", 1, 1.0},
    {"2x", 2, 2.0},
    {"3x", 3, 3.0},
    {"4x", 4, 4.0},
    {"8x", 8, 8.0},
    {"16x", 16, 16.0},
    {"32x", 32, 32.0},
}};

// The zoom a menu item selects from its tag: the tag itself, 0 meaning 0.5.
constexpr double zoomForTag(int tag) { return tag == 0 ? 0.5 : static_cast<double>(tag); }

// Index in ZoomLadder of the item that carries the check mark for zoom: the
// item whose rung equals zoom exactly; none for a value off the ladder.
std::optional<std::size_t> checkedZoomItem(double zoom);

// Ctrl+plus and Ctrl+minus. 0.5 steps to 1 (up) or stays (down). Otherwise the
// zoom is rounded half to even; a rounded value of 1, 2, 3, 4, 8, 16 or 32
// goes to the next rung up or down (32 stays at the top, 1 goes down to 0.5),
// any other value moves by one. A step never goes below 0.5, and a NaN or
// infinite zoom steps as 2 does.
double zoomStepUp(double zoom);
double zoomStepDown(double zoom);

} // namespace tintora
