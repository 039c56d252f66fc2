# cmake --install: the program, its private libraries, its help pages and
# what a desktop needs to list it (entry, icon, AppStream metadata).

install(TARGETS vantrel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The decoder and waveform modules are opened from beside the library that
# loads them, so all four share one folder.
foreach(lib bass bass_ffmpeg brivanedialogs brivanedialogs_waveform)
    if(TARGET ${lib})
        install(TARGETS ${lib} LIBRARY DESTINATION ${VANTREL_PRIVATE_LIBDIR}
            PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    endif()
endforeach()

install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/help/ DESTINATION ${VANTREL_DATADIR}/help
    FILES_MATCHING PATTERN "*.html")

set(desktop ${CMAKE_SOURCE_DIR}/resources/desktop)
# The entry names the program by its installed path, which is known only
# when installing (--prefix): menus then start it even when the prefix's
# bin folder is not on the PATH of the desktop session (~/.local/bin often
# is not until the next login).
install(CODE "
    set(VANTREL_DESKTOP_TEMPLATE \"${desktop}/${VANTREL_APP_ID}.desktop.in\")
    set(VANTREL_DESKTOP_FILE \"${CMAKE_BINARY_DIR}/desktop/${VANTREL_APP_ID}.desktop\")
    set(VANTREL_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
    set(VANTREL_APPLICATIONS_DIR \"${CMAKE_INSTALL_DATADIR}/applications\")
    include(\"${CMAKE_SOURCE_DIR}/cmake/InstallDesktopEntry.cmake\")
")
install(FILES ${desktop}/${VANTREL_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The program's icon: the drawing itself for any size, plus bitmaps for
# menus and docks that ask for a fixed size.
set(icon_svg ${CMAKE_SOURCE_DIR}/resources/icons/00MAINICON.svg)
install(FILES ${icon_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
    RENAME ${VANTREL_APP_ID}.svg)
find_program(VANTREL_RSVG_CONVERT rsvg-convert)
if(VANTREL_RSVG_CONVERT)
    set(icon_pngs)
    foreach(size 16 24 32 48 64 128 256)
        set(png ${CMAKE_BINARY_DIR}/icons/${size}/${VANTREL_APP_ID}.png)
        add_custom_command(OUTPUT ${png}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}
            COMMAND ${VANTREL_RSVG_CONVERT} -w ${size} -h ${size} ${icon_svg} -o ${png}
            DEPENDS ${icon_svg}
            VERBATIM)
        list(APPEND icon_pngs ${png})
        install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
    add_custom_target(vantrel_icons ALL DEPENDS ${icon_pngs})
else()
    message(WARNING "rsvg-convert not found: only the scalable program icon is installed")
endif()

# The manual page, and the copyright and change log Debian policy asks of
# every package, compressed as the policy says (-n: no name or time in the
# header, so a rebuild gives the same bytes).
set(doc_gz ${CMAKE_BINARY_DIR}/doc/vantrel.1.gz ${CMAKE_BINARY_DIR}/doc/changelog.gz)
add_custom_command(OUTPUT ${doc_gz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/doc
    COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/resources/man/vantrel.1 > ${CMAKE_BINARY_DIR}/doc/vantrel.1.gz
    COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/resources/debian/changelog > ${CMAKE_BINARY_DIR}/doc/changelog.gz
    DEPENDS ${CMAKE_SOURCE_DIR}/resources/man/vantrel.1 ${CMAKE_SOURCE_DIR}/resources/debian/changelog)
add_custom_target(vantrel_docs ALL DEPENDS ${doc_gz})
install(FILES ${CMAKE_BINARY_DIR}/doc/vantrel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/resources/debian/copyright ${CMAKE_BINARY_DIR}/doc/changelog.gz
    DESTINATION ${VANTREL_DOCDIR})

include(cmake/VantrelPackage.cmake)
