# Little CMS 2, which reads display profiles (src/colourprofile): the imported
# target Lcms2::Lcms2, for every build that compiles that folder.

if(TARGET Lcms2::Lcms2)
    return()
endif()

if(TINTORA_PLATFORM STREQUAL "win32")
    # The Windows build: the static library scripts/windows cross-builds once
    # from Debian's lcms2 source and keeps in ~/.cache/tintora.
    set(TINTORA_LCMS2_PREFIX "" CACHE PATH "lcms2 built for Windows: include/lcms2.h, lib/liblcms2.a")
    if(NOT EXISTS "${TINTORA_LCMS2_PREFIX}/include/lcms2.h" OR NOT EXISTS "${TINTORA_LCMS2_PREFIX}/lib/liblcms2.a")
        message(FATAL_ERROR "TINTORA_LCMS2_PREFIX ('${TINTORA_LCMS2_PREFIX}') holds no lcms2 built for Windows; "
                            "scripts/windows builds it")
    endif()
    add_library(Lcms2::Lcms2 STATIC IMPORTED GLOBAL)
    set_target_properties(Lcms2::Lcms2 PROPERTIES
        IMPORTED_LOCATION "${TINTORA_LCMS2_PREFIX}/lib/liblcms2.a"
        INTERFACE_INCLUDE_DIRECTORIES "${TINTORA_LCMS2_PREFIX}/include"
        # Outside the system's include folders, lcms2.h's `register`
        # parameters are an error in C++17 and later.
        INTERFACE_COMPILE_DEFINITIONS "CMS_NO_REGISTER_KEYWORD=1")
else()
    # Linux: Debian's liblcms2-dev.
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(LCMS2 REQUIRED IMPORTED_TARGET GLOBAL lcms2)
    add_library(Lcms2::Lcms2 ALIAS PkgConfig::LCMS2)
endif()
