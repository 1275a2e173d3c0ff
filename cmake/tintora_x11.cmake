# The X11 backend of the Linux build (cmake/tintora_linux.cmake).

find_package(X11 REQUIRED COMPONENTS Xrandr Xext Xfixes Xi)
find_package(Qt6 REQUIRED COMPONENTS Gui)
add_library(tintora_x11 STATIC
    src/platform/x11/x11_barriers.cpp
    src/platform/x11/x11_connection.cpp
    src/platform/x11/x11_display_profiles.cpp
    src/platform/x11/x11_gamma_ramps.cpp
    src/platform/x11/x11_helper_process.cpp
    src/platform/x11/x11_keyboard.cpp
    src/platform/x11/x11_layout.cpp
    src/platform/x11/x11_monitors.cpp
    src/platform/x11/x11_pixels.cpp
    src/platform/x11/x11_platform.cpp
    src/platform/x11/x11_pointer.cpp
    src/platform/x11/x11_pointer_speed.cpp
    src/platform/x11/x11_pointer_state.cpp
    src/platform/x11/x11_pointer_watchdog.cpp
    src/platform/x11/x11_profile_screens.cpp
    src/platform/x11/x11_profiles.cpp
    src/platform/x11/x11_screen.cpp
    src/platform/x11/x11_windows.cpp
    # The parts done through Qt: the clipboard (kept after the program's end
    # by a keeper process of plain Xlib) and opening addresses.
    src/platform/x11/x11_clipboard.cpp
    src/platform/x11/x11_clipboard_keeper.cpp
    src/platform/x11/x11_shell.cpp
)
target_link_libraries(tintora_x11
    PUBLIC tintora_platform_common tintora_files
    PRIVATE X11::X11 X11::Xrandr X11::Xext X11::Xfixes X11::Xi X11::xcb Qt6::Gui)
