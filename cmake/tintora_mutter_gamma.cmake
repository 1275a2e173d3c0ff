# The gamma ramps of GNOME's compositor over D-Bus (platform/wayland/
# mutter_gamma), a library of its own that the Wayland backend links.
find_package(Qt6 REQUIRED COMPONENTS DBus)
add_library(tintora_mutter_gamma STATIC src/platform/wayland/mutter_gamma.cpp)
set_target_properties(tintora_mutter_gamma PROPERTIES AUTOMOC ON)
target_link_libraries(tintora_mutter_gamma PUBLIC tintora_platform_common Qt6::DBus)
