# Installation layout and the Debian package; included from the top-level
# CMakeLists.txt.
#   bin/                        kelvanor, kelvanor-cli, kelvanor-kiss-server, nconvert
#   share/applications/         kelvanor.desktop
#   share/icons/hicolor/        kelvanor.svg (scalable), kelvanor.png (256x256)
#   share/kelvanor/             conf.ini (the settings an installed program starts
#                               with), limits.ini (its health limits
#                               with), samples/ (a recording and a SatNOGS log)
#   share/doc/kelvanor/         README.md, formats.md, performance.md, window.png,
#                               copyright, changelog.gz
#   share/man/man1/             a page for each program, gzip-compressed
#   lib/systemd/system/         kelvanor-recorder.service (the unattended recorder);
#                               its settings start from share/kelvanor/recorder.conf,
#                               which the package puts into /etc/kelvanor/
# An installed program recognises itself by share/kelvanor/conf.ini beside its
# bin/ and keeps its settings and files in the user's folders.
include(GNUInstallDirs)

set(KELVANOR_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})

install(TARGETS kelvanor-cli kelvanor-kiss-server RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(KELVANOR_BUILD_GUI)
    install(TARGETS kelvanor nconvert RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${KELVANOR_PACKAGING_DIR}/kelvanor.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${KELVANOR_PACKAGING_DIR}/kelvanor.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    install(FILES ${KELVANOR_PACKAGING_DIR}/kelvanor.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
endif()

install(FILES ${PROJECT_SOURCE_DIR}/conf.ini ${PROJECT_SOURCE_DIR}/limits.ini ${KELVANOR_PACKAGING_DIR}/recorder.conf
        DESTINATION ${CMAKE_INSTALL_DATADIR}/kelvanor)

# The recorder service runs the packaged kelvanor-cli; with libsystemd it
# tells systemd when it is ready and keeps a watchdog alive.
set(KELVANOR_RECORDER_CLI /usr/bin/kelvanor-cli)
if(KELVANOR_SERVICE_TYPE STREQUAL "notify")
    set(KELVANOR_SERVICE_WATCHDOG "WatchdogSec=30")
else()
    set(KELVANOR_SERVICE_WATCHDOG "")
endif()
configure_file(${KELVANOR_PACKAGING_DIR}/kelvanor-recorder.service.in
               ${CMAKE_BINARY_DIR}/systemd/kelvanor-recorder.service @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/systemd/kelvanor-recorder.service DESTINATION lib/systemd/system)
configure_file(${KELVANOR_PACKAGING_DIR}/postinst.in ${CMAKE_BINARY_DIR}/debian/postinst @ONLY)
install(FILES ${PROJECT_SOURCE_DIR}/samples/2020-11-29_kelvanor.kss
              ${PROJECT_SOURCE_DIR}/samples/satnogs-2020-11-29.csv
        DESTINATION ${CMAKE_INSTALL_DATADIR}/kelvanor/samples)
install(FILES ${PROJECT_SOURCE_DIR}/README.md
              ${PROJECT_SOURCE_DIR}/docs/formats.md
              ${PROJECT_SOURCE_DIR}/docs/performance.md
              ${PROJECT_SOURCE_DIR}/docs/window.png
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The man pages and the package's change log, gzip-compressed without a time
# stamp as Debian keeps them.
set(KELVANOR_MAINTAINER "KELVANOR ground station <kelvanor@localhost>"
    CACHE STRING "Maintainer of the Debian package, as \"Name <address>\"")
set(man_pages kelvanor-cli)
if(KELVANOR_BUILD_GUI)
    list(APPEND man_pages kelvanor nconvert)
endif()
list(APPEND man_pages kelvanor-kiss-server)
set(compressed)
foreach(page IN LISTS man_pages)
    configure_file(${KELVANOR_PACKAGING_DIR}/${page}.1.in ${CMAKE_BINARY_DIR}/man/${page}.1 @ONLY)
    list(APPEND compressed man/${page}.1)
endforeach()
configure_file(${KELVANOR_PACKAGING_DIR}/changelog ${CMAKE_BINARY_DIR}/man/changelog @ONLY)
list(APPEND compressed man/changelog)
set(gz_files)
foreach(f IN LISTS compressed)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${f}.gz
                       COMMAND gzip -9nc ${CMAKE_BINARY_DIR}/${f} > ${CMAKE_BINARY_DIR}/${f}.gz
                       DEPENDS ${CMAKE_BINARY_DIR}/${f} VERBATIM)
    list(APPEND gz_files ${CMAKE_BINARY_DIR}/${f}.gz)
endforeach()
add_custom_target(kelvanor_docs ALL DEPENDS ${gz_files})
foreach(page IN LISTS man_pages)
    install(FILES ${CMAKE_BINARY_DIR}/man/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
install(FILES ${CMAKE_BINARY_DIR}/man/changelog.gz ${KELVANOR_PACKAGING_DIR}/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# cpack -G DEB in the build folder makes kelvanor_VERSION_ARCH.deb. Its
# dependencies are worked out by dpkg-shlibdeps from the programs' libraries
# (the Debian Qt 6 runtime packages, libc, libstdc++).
set(CPACK_PACKAGE_NAME kelvanor)
set(CPACK_PACKAGE_VENDOR "KELVANOR ground station")
set(CPACK_PACKAGE_CONTACT "${KELVANOR_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Telemetry decoder for the KELVANOR satellite beacon")
set(CPACK_PACKAGE_DESCRIPTION
    "Decodes the beacon of the small satellite KELVANOR (AX.25 frames in KISS\n"
    "framing) from a live KISS server over TCP, from KISS recordings and from\n"
    "SatNOGS frame logs into 118 telemetry channels, and shows, browses,\n"
    "charts and exports them. Includes a command-line decoder, a KISS replay\n"
    "server and a sample recording.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# The recorder's settings go to /etc/kelvanor/ once; the operator's copy is
# never replaced.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
