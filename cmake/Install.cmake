# The installed layout: a self-contained program folder <prefix>/lib/quorvane (the program finds
# cy.mdb, cy.chm and images/bk.bmp beside its real path), launcher links in <prefix>/bin, and
# the desktop entry, icons, AppStream data and man page under <prefix>/share.
include(GNUInstallDirs)
set(QUORVANE_APP_ID net.brevinn.Quorvane)
set(QUORVANE_PROGRAM_DIR lib/quorvane)
set(DESKTOP_DIR ${CMAKE_SOURCE_DIR}/resources/desktop)

# Hicolor PNGs drawn from the SVG.
set(QUORVANE_ICON_SIZES 16 22 24 32 48 64 128 256)
set(ICON_PNGS)
foreach(size IN LISTS QUORVANE_ICON_SIZES)
    set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/${QUORVANE_APP_ID}.png)
    add_custom_command(
        OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
        COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
                $<TARGET_FILE:render-icon> ${DESKTOP_DIR}/${QUORVANE_APP_ID}.svg ${size} ${png}
        DEPENDS ${DESKTOP_DIR}/${QUORVANE_APP_ID}.svg render-icon
        VERBATIM)
    list(APPEND ICON_PNGS ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(icons ALL DEPENDS ${ICON_PNGS})

install(TARGETS quorvane quorvane-import RUNTIME DESTINATION ${QUORVANE_PROGRAM_DIR})
install(FILES ${CMAKE_BINARY_DIR}/bin/cy.mdb DESTINATION ${QUORVANE_PROGRAM_DIR})
install(FILES ${CMAKE_BINARY_DIR}/bin/images/bk.bmp DESTINATION ${QUORVANE_PROGRAM_DIR}/images)
if(EXISTS ${CMAKE_BINARY_DIR}/bin/cy.chm OR TARGET help_file)
    install(FILES ${CMAKE_BINARY_DIR}/bin/cy.chm DESTINATION ${QUORVANE_PROGRAM_DIR})
endif()
foreach(program quorvane quorvane-import)
    install(CODE "
        set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\")
        file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
        file(REMOVE \"\${link}\")
        file(CREATE_LINK ../${QUORVANE_PROGRAM_DIR}/${program} \"\${link}\" SYMBOLIC)
        message(STATUS \"Installing: \${link} -> ../${QUORVANE_PROGRAM_DIR}/${program}\")")
endforeach()

install(FILES ${DESKTOP_DIR}/${QUORVANE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${DESKTOP_DIR}/${QUORVANE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${DESKTOP_DIR}/${QUORVANE_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${DESKTOP_DIR}/quorvane-import.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
