# The Debian package of the installed files, made by CPack (scripts/package
# configures the build for it). Its dependencies are those dpkg-shlibdeps
# finds for the binary.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tintora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Tintora developers")
set(TINTORA_PACKAGE_MAINTAINER "The Tintora developers <tintora@users.noreply.github.com>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TINTORA_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/tintora/tintora")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "colour picker that reads the display's gamma ramp
Tintora shows the colour of the pixel under the mouse pointer twice, twenty
times a second: as applications drew it, and as it leaves the graphics adapter
after the adapter's gamma ramp (its look-up table), with the raw ramp entry
beside each value. It helps to check a calibrated or colour-managed display
pixel by pixel.

It also has decimal, hexadecimal and 0-1 readouts, copies either colour as
RRGGBB, magnifies the screen around the pointer from 0.5x to 32x, opens a
frozen sample in a colour dialog, and offers a slow pointer and locks to a
row or a column of pixels.

Tintora needs an X11 session, or GNOME's Wayland session (through the
desktop portal's screen cast, without the slow pointer and the locks).")
# Where Tahoma is missing, the captions are drawn in Liberation Sans, else in
# DejaVu Sans.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2 | fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_TINTORA_STRIP "${CMAKE_STRIP}")
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/strip_packaged_binary.cmake)
# The package holds what `cmake --install` puts under the configured prefix
# (scripts/package configures /usr), so the program knows where it lies.
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")

include(CPack)
