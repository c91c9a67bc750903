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
# Under /usr (the package) the dictionary is a conffile in /etc that upgrades keep when it was
# edited; the program folder links to it. Elsewhere it is a plain file in the program folder.
install(CODE "
    set(db \"${CMAKE_BINARY_DIR}/bin/cy.mdb\")
    set(folder \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${QUORVANE_PROGRAM_DIR}\")
    if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
        file(INSTALL DESTINATION /etc/quorvane TYPE FILE FILES \"\${db}\")
        file(REMOVE \"\${folder}/cy.mdb\")
        file(CREATE_LINK /etc/quorvane/cy.mdb \"\${folder}/cy.mdb\" SYMBOLIC)
    else()
        # file(INSTALL) adds DESTDIR itself.
        file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${QUORVANE_PROGRAM_DIR}\"
             TYPE FILE FILES \"\${db}\")
    endif()")
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

# Debian's documentation files: the copyright, the changelog and the man page, compressed
# reproducibly.
find_program(GZIP gzip REQUIRED)
add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/doc/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/doc
    COMMAND sh -c "${GZIP} -9n -c '${DESKTOP_DIR}/changelog' > '${CMAKE_BINARY_DIR}/doc/changelog.gz'"
    DEPENDS ${DESKTOP_DIR}/changelog
    VERBATIM)
set(QUORVANE_MAN_PAGES)
foreach(page quorvane.1 quorvane-import.1)
    add_custom_command(
        OUTPUT ${CMAKE_BINARY_DIR}/doc/${page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/doc
        COMMAND sh -c "${GZIP} -9n -c '${DESKTOP_DIR}/${page}' > '${CMAKE_BINARY_DIR}/doc/${page}.gz'"
        DEPENDS ${DESKTOP_DIR}/${page}
        VERBATIM)
    list(APPEND QUORVANE_MAN_PAGES ${CMAKE_BINARY_DIR}/doc/${page}.gz)
endforeach()
add_custom_target(package_docs ALL DEPENDS ${CMAKE_BINARY_DIR}/doc/changelog.gz ${QUORVANE_MAN_PAGES})
install(FILES ${QUORVANE_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${DESKTOP_DIR}/copyright ${CMAKE_BINARY_DIR}/doc/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quorvane)

# The Debian package (scripts/package): the same tree under /usr. The dictionary is a conffile
# in /etc, linked from the program folder, so an upgrade never overwrites an edited one.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvane)
set(CPACK_PACKAGE_VENDOR Brevinn)
set(CPACK_PACKAGE_CONTACT "Brevinn <quorvane@brevinn.net>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "dictionary of Chinese idioms")
set(CPACK_PACKAGE_DESCRIPTION
    "Quorvane looks up Chinese idioms (chengyu) by code, pinyin or text\n and shows the reading, meaning, source and an example of each; entries\n can be copied, saved and printed, and the dictionary maintained.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${DESKTOP_DIR}/conffiles)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-arphic-uming, fonts-arphic-ukai, libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xchm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
