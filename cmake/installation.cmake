# What `cmake --install` puts where (the GNU layout).

include(GNUInstallDirs)

# The application's id: the desktop entry, the icon and the AppStream
# metadata are named after it.
set(TINTORA_APP_ID io.github.tintora.Tintora)

install(TARGETS tintora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
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

# The manual page, with the project's version.
configure_file(data/tintora.1.in ${PROJECT_BINARY_DIR}/man/tintora.1 @ONLY)

install(FILES ${PROJECT_BINARY_DIR}/man/tintora.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES LICENSE README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tintora)

add_custom_target(tintora_data ALL DEPENDS ${icon_pngs})
