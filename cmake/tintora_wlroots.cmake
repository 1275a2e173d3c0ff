# The wlroots backend of the Linux build (cmake/tintora_linux.cmake): sway,
# Hyprland and the other wlroots compositors, on a Wayland connection of the
# program's own. Its client code is made at build time by wayland-scanner
# from the protocols' XML as Debian ships it (librust-wayland-protocols-dev
# carries the wlroots ones).

find_package(PkgConfig REQUIRED)
pkg_check_modules(WAYLAND_CLIENT REQUIRED IMPORTED_TARGET wayland-client xkbcommon)
find_program(WAYLAND_SCANNER wayland-scanner REQUIRED)
set(TINTORA_WAYLAND_PROTOCOLS "/usr/share/cargo/registry/wayland-protocols-0.29.4" CACHE PATH
    "Where the Wayland protocols' XML lies (the wlroots ones under wlr-protocols/)")

set(wlroots_protocols
    wlr-protocols/unstable/wlr-screencopy-unstable-v1.xml
    wlr-protocols/unstable/wlr-layer-shell-unstable-v1.xml
    wlr-protocols/unstable/wlr-virtual-pointer-unstable-v1.xml
    # the outputs' places in the layout
    protocols/unstable/xdg-output/xdg-output-unstable-v1.xml
    # named by the layer shell (its popups)
    protocols/stable/xdg-shell/xdg-shell.xml
)
set(protocol_dir ${CMAKE_CURRENT_BINARY_DIR}/wayland-protocols)
file(MAKE_DIRECTORY ${protocol_dir})
set(protocol_sources)
foreach(xml IN LISTS wlroots_protocols)
    get_filename_component(name ${xml} NAME_WE)
    set(source ${TINTORA_WAYLAND_PROTOCOLS}/${xml})
    if(NOT EXISTS ${source})
        message(FATAL_ERROR "${source} is missing: scripts/deps installs it (librust-wayland-protocols-dev)")
    endif()
    # The layer shell names an argument "namespace", a C++ keyword: a copy
    # with it renamed makes the same requests.
    if(name STREQUAL "wlr-layer-shell-unstable-v1")
        file(READ ${source} text)
        string(REPLACE "name=\"namespace\"" "name=\"name_space\"" text "${text}")
        file(WRITE ${protocol_dir}/${name}.xml "${text}")
        set(source ${protocol_dir}/${name}.xml)
    endif()
    add_custom_command(
        OUTPUT ${protocol_dir}/${name}-client-protocol.h ${protocol_dir}/${name}-protocol.c
        COMMAND ${WAYLAND_SCANNER} client-header ${source} ${protocol_dir}/${name}-client-protocol.h
        COMMAND ${WAYLAND_SCANNER} private-code ${source} ${protocol_dir}/${name}-protocol.c
        DEPENDS ${source}
        VERBATIM)
    list(APPEND protocol_sources ${protocol_dir}/${name}-client-protocol.h ${protocol_dir}/${name}-protocol.c)
endforeach()
# The generated code is C.
enable_language(C)

add_library(tintora_wlroots STATIC
    ${protocol_sources}
    src/platform/wlroots/wlroots_connection.cpp
    src/platform/wlroots/wlroots_overlay.cpp
    src/platform/wlroots/wlroots_platform.cpp
    src/platform/wlroots/wlroots_screen.cpp
)
target_include_directories(tintora_wlroots PRIVATE ${protocol_dir})
# The clipboard, opening addresses, the keys and the windows' stacking are
# the Wayland backend's, through Qt.
target_link_libraries(tintora_wlroots
    PUBLIC tintora_platform_common tintora_files
    PRIVATE tintora_wayland PkgConfig::WAYLAND_CLIENT Qt6::Core)
