# Little CMS 2, which reads display profiles (src/colourprofile): the imported
# target Lcms2::Lcms2, for every build that compiles that folder.

if(TARGET Lcms2::Lcms2)
    return()
endif()

if(TINTORA_PLATFORM STREQUAL "win32")
    # The Windows build: lcms2 cross-built with MinGW and cached in
    # ~/.cache/tintora, made and found here by the Windows backend's work.
    message(FATAL_ERROR "lcms2 for the Windows build is not wired in yet (cmake/tintora_lcms2.cmake)")
else()
    # Linux: Debian's liblcms2-dev.
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(LCMS2 REQUIRED IMPORTED_TARGET GLOBAL lcms2)
    add_library(Lcms2::Lcms2 ALIAS PkgConfig::LCMS2)
endif()
