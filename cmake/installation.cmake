# What `cmake --install` puts where (the GNU layout), and the Debian package
# made from it (debian_package.cmake, used by scripts/package).

include(GNUInstallDirs)

# The application's id: the desktop entry, the icon and the AppStream
# metadata are named after it.
set(TINTORA_APP_ID io.github.tintora.Tintora)

option(TINTORA_DEBIAN_LAYOUT
    "Lay the documentation out as a Debian package has it: the manual page compressed, the copyright file and the changelog"
    OFF)

install(TARGETS tintora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The copy installed there keeps its settings in the user's configuration
# directory, whoever runs it.
set_property(SOURCE src/settings/settings_location.cpp TARGET_DIRECTORY tintora_settings APPEND PROPERTY
    COMPILE_DEFINITIONS "TINTORA_INSTALLED_BINDIR=\"${CMAKE_INSTALL_FULL_BINDIR}\"")
install(FILES data/${TINTORA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/${TINTORA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The icon: the SVG as drawn, and the sizes of the hicolor theme rendered from
# it, so that they never disagree.
set(TINTORA_ICON_SIZES 16 22 24 32 48 64 128 256)
set(icon_source ${PROJECT_SOURCE_DIR}/data/${TINTORA_APP_ID}.svg)
install(FILES ${icon_source} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
find_program(TINTORA_RSVG_CONVERT rsvg-convert REQUIRED)
set(icon_pngs)
foreach(size IN LISTS TINTORA_ICON_SIZES)
    set(dir ${PROJECT_BINARY_DIR}/icons/${size}x${size})
    set(png ${dir}/${TINTORA_APP_ID}.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
        COMMAND ${TINTORA_RSVG_CONVERT} --width=${size} --height=${size} --output=${png} ${icon_source}
        DEPENDS ${icon_source}
        COMMENT "Rendering the ${size}x${size} icon"
        VERBATIM)
    list(APPEND icon_pngs ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# The sizes window managers and task bars show (_NET_WM_ICON), embedded in the
# program; Qt hands them to each window.
set(window_icon_files)
foreach(size 16 24 32 48 64 128)
    list(APPEND window_icon_files ${PROJECT_BINARY_DIR}/icons/${size}x${size}/${TINTORA_APP_ID}.png)
endforeach()
qt_add_resources(tintora window_icon PREFIX /icons BASE ${PROJECT_BINARY_DIR}/icons FILES ${window_icon_files})

# The manual page, with the project's version.
configure_file(data/tintora.1.in ${PROJECT_BINARY_DIR}/man/tintora.1 @ONLY)

set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/tintora)
set(packaged_docs)
if(TINTORA_DEBIAN_LAYOUT)
    # gzip -9n: the best compression, and no name or time stamp in the
    # header, so the package is the same whenever it is built.
    find_program(TINTORA_GZIP gzip REQUIRED)
    foreach(pair "man/tintora.1|${PROJECT_BINARY_DIR}/man/tintora.1"
                 "debian/changelog|${PROJECT_SOURCE_DIR}/packaging/debian/changelog")
        string(REPLACE "|" ";" pair "${pair}")
        list(GET pair 0 name)
        list(GET pair 1 source)
        set(plain ${PROJECT_BINARY_DIR}/compressed/${name})
        add_custom_command(OUTPUT ${plain}.gz
            COMMAND ${CMAKE_COMMAND} -E copy ${source} ${plain}
            COMMAND ${TINTORA_GZIP} -9nf ${plain}
            DEPENDS ${source}
            VERBATIM)
        list(APPEND packaged_docs ${plain}.gz)
    endforeach()
    install(FILES ${PROJECT_BINARY_DIR}/compressed/man/tintora.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${PROJECT_BINARY_DIR}/compressed/debian/changelog.gz packaging/debian/copyright README.md
        DESTINATION ${doc_dir})
else()
    install(FILES ${PROJECT_BINARY_DIR}/man/tintora.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES LICENSE README.md DESTINATION ${doc_dir})
endif()

add_custom_target(tintora_data ALL DEPENDS ${icon_pngs} ${packaged_docs})

include(${CMAKE_CURRENT_LIST_DIR}/debian_package.cmake)
