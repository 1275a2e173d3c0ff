# The Windows build (TINTORA_PLATFORM=win32), cross-compiled with MinGW-w64:
# the Win32 platform backend, and the executable's resources.

add_library(tintora_platform STATIC
    src/platform/win32/win32_clipboard.cpp
    src/platform/win32/win32_keyboard.cpp
    src/platform/win32/win32_platform.cpp
    src/platform/win32/win32_pointer.cpp
    src/platform/win32/win32_pointer_state.cpp
    src/platform/win32/win32_process.cpp
    src/platform/win32/win32_screen.cpp
    src/platform/win32/win32_shell.cpp
    src/platform/win32/win32_windows.cpp
)
find_package(Qt6 REQUIRED COMPONENTS Core)
target_link_libraries(tintora_platform
    PUBLIC tintora_platform_common tintora_files
    PRIVATE Qt6::Core user32 gdi32 shell32 ole32 uuid)

# The program's icon (data/, drawn once for every platform) rendered at the
# sizes Windows shows and packed into one .ico, so that they never disagree.
find_program(TINTORA_RSVG_CONVERT rsvg-convert REQUIRED)
find_program(TINTORA_IMAGEMAGICK_CONVERT convert REQUIRED)
set(icon_source ${PROJECT_SOURCE_DIR}/data/io.github.tintora.Tintora.svg)
set(TINTORA_ICON ${CMAKE_CURRENT_BINARY_DIR}/tintora.ico)
set(icon_pngs)
foreach(size 16 20 24 32 40 48 64 256)
    set(png ${CMAKE_CURRENT_BINARY_DIR}/icon/${size}.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/icon
        COMMAND ${TINTORA_RSVG_CONVERT} --width=${size} --height=${size} --output=${png} ${icon_source}
        DEPENDS ${icon_source}
        VERBATIM)
    list(APPEND icon_pngs ${png})
endforeach()
add_custom_command(OUTPUT ${TINTORA_ICON}
    COMMAND ${TINTORA_IMAGEMAGICK_CONVERT} ${icon_pngs} ${TINTORA_ICON}
    DEPENDS ${icon_pngs}
    COMMENT "Packing the Windows icon"
    VERBATIM)

# Icon, manifest and version information of tintora.exe; a program with
# windows, not a console program.
function(tintora_windows_executable target)
    set(TINTORA_MANIFEST "${CMAKE_CURRENT_BINARY_DIR}/tintora.manifest")
    set(major ${PROJECT_VERSION_MAJOR})
    set(minor ${PROJECT_VERSION_MINOR})
    set(patch 0)
    if(PROJECT_VERSION_PATCH)
        set(patch ${PROJECT_VERSION_PATCH})
    endif()
    set(TINTORA_VERSION_QUAD "${major}.${minor}.${patch}.0")
    set(TINTORA_VERSION_COMMAS "${major},${minor},${patch},0")
    configure_file(resources/windows/tintora.manifest.in "${TINTORA_MANIFEST}" @ONLY)
    configure_file(resources/windows/tintora.rc.in "${CMAKE_CURRENT_BINARY_DIR}/tintora.rc" @ONLY)
    target_sources(${target} PRIVATE "${CMAKE_CURRENT_BINARY_DIR}/tintora.rc")
    set_source_files_properties("${CMAKE_CURRENT_BINARY_DIR}/tintora.rc" PROPERTIES
        OBJECT_DEPENDS "${TINTORA_ICON};${TINTORA_MANIFEST}")
    set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
endfunction()
