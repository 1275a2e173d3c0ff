# The Linux build (TINTORA_PLATFORM=linux): the backends, X11, Wayland
# (GNOME) and wlroots, and the choice between them at start
# (src/platform/session_choice.cpp).

include(cmake/tintora_x11.cmake)
include(cmake/tintora_wayland.cmake)
include(cmake/tintora_wlroots.cmake)
add_library(tintora_platform STATIC
    src/platform/session_choice.cpp
    src/platform/posix/posix_process.cpp
)
target_link_libraries(tintora_platform
    PUBLIC tintora_platform_common tintora_files tintora_x11 tintora_wayland tintora_wlroots
    PRIVATE Qt6::Core)
set(TINTORA_BACKENDS tintora_x11 tintora_wayland tintora_wlroots)
