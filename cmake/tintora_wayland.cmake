# The Wayland backend of the Linux build (cmake/tintora_linux.cmake): the
# screen through the desktop portal's ScreenCast (D-Bus) and PipeWire.

find_package(PkgConfig REQUIRED)
pkg_check_modules(PIPEWIRE REQUIRED IMPORTED_TARGET libpipewire-0.3)
find_package(Qt6 REQUIRED COMPONENTS Core Gui DBus)
# The ramps, from GNOME's compositor.
include(cmake/tintora_mutter_gamma.cmake)
add_library(tintora_wayland STATIC
    src/platform/wayland/pipewire_frames.cpp
    src/platform/wayland/screen_cast_portal.cpp
    src/platform/wayland/wayland_keyboard.cpp
    src/platform/wayland/wayland_platform.cpp
    src/platform/wayland/wayland_pointer.cpp
    src/platform/wayland/wayland_screen.cpp
    # Through Qt: the clipboard, opening addresses, the windows' stacking.
    src/platform/wayland/wayland_desktop.cpp
)
set_target_properties(tintora_wayland PROPERTIES AUTOMOC ON)
target_link_libraries(tintora_wayland
    PUBLIC tintora_platform_common tintora_files
    PRIVATE tintora_mutter_gamma PkgConfig::PIPEWIRE Qt6::Core Qt6::Gui Qt6::DBus)
