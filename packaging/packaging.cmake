# What makes Nimbal Servo an installable Linux package: the man pages, the
# bash completion of nimbalctl, the AppStream metainfo, the copyright file
# and the Debian changelog, their install rules, and CPack's DEB generator
# (cmake --build build --target package, or tools/package.sh). Included by
# the top-level CMakeLists.txt after the programs' own install rules.

include(${CMAKE_CURRENT_LIST_DIR}/project.cmake)

# The releases, from CHANGELOG.md, whose newest must be this version.
include(${CMAKE_CURRENT_LIST_DIR}/releases.cmake)
nimbal_read_releases(${PROJECT_SOURCE_DIR}/CHANGELOG.md NIMBAL_RELEASE "${NIMBAL_MAINTAINER}")
if(NOT NIMBAL_RELEASE_VERSION STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "CHANGELOG.md's newest release is ${NIMBAL_RELEASE_VERSION}, "
                        "the project version ${PROJECT_VERSION}: add the release's entry")
endif()
set(NIMBAL_METAINFO_RELEASES "${NIMBAL_RELEASE_METAINFO}")

# The licence in the form of a Debian copyright file: every line indented,
# blank lines as " .".
string(REPLACE "\n\n" "\n.\n" NIMBAL_LICENSE_TEXT " ${NIMBAL_LICENSE_BODY}")
string(REPLACE "\n" "\n " NIMBAL_LICENSE_TEXT "${NIMBAL_LICENSE_TEXT}")

set(packaging_out ${PROJECT_BINARY_DIR}/packaging)
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/copyright.in ${packaging_out}/debian/copyright @ONLY)
foreach(id ${NIMBAL_APPSTREAM_ID} ${NIMBAL_STATION_APPSTREAM_ID})
    configure_file(${PROJECT_SOURCE_DIR}/resources/desktop/${id}.metainfo.xml.in
                   ${packaging_out}/${id}.metainfo.xml @ONLY)
endforeach()
foreach(page nimbal-servo nimbalctl nimbal-station)
    configure_file(${PROJECT_SOURCE_DIR}/docs/man/${page}.1.in ${packaging_out}/man/${page}.1 @ONLY)
endforeach()
# Written only when it changes, so that a new configure of an unchanged
# tree leaves the build with nothing to do.
set(changelog_written "")
if(EXISTS ${packaging_out}/debian/changelog)
    file(READ ${packaging_out}/debian/changelog changelog_written)
endif()
if(NOT changelog_written STREQUAL NIMBAL_RELEASE_DEBIAN)
    file(WRITE ${packaging_out}/debian/changelog "${NIMBAL_RELEASE_DEBIAN}")
endif()

# The man pages and the changelog are installed compressed as Debian wants
# them: gzip -9, without name or time stamp.
set(compressed)
foreach(file man/nimbal-servo.1 man/nimbalctl.1 man/nimbal-station.1 debian/changelog)
    add_custom_command(OUTPUT ${packaging_out}/${file}.gz
                       COMMAND gzip -9 -n -k -f ${packaging_out}/${file}
                       DEPENDS ${packaging_out}/${file}
                       VERBATIM)
    list(APPEND compressed ${packaging_out}/${file}.gz)
endforeach()
add_custom_target(nimbal-compressed-docs ALL DEPENDS ${compressed})

install(FILES ${packaging_out}/man/nimbal-servo.1.gz ${packaging_out}/man/nimbalctl.1.gz
              ${packaging_out}/man/nimbal-station.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/resources/bash-completion/nimbalctl
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${packaging_out}/${NIMBAL_APPSTREAM_ID}.metainfo.xml
              ${packaging_out}/${NIMBAL_STATION_APPSTREAM_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${packaging_out}/debian/copyright ${packaging_out}/debian/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/nimbal-servo)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME nimbal-servo)

# The Debian package: nimbal-servo_VERSION_ARCH.deb in the build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_CONTACT "${NIMBAL_MAINTAINER}")
set(CPACK_PACKAGE_HOMEPAGE_URL "${NIMBAL_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Nimbal Servo reads the fourteen parameters of a Nimbal servo controller
over a serial line (${NIMBAL_BAUD_RATE} baud, ${NIMBAL_LINE_SHORT}): eleven numbers, such as the torque
gain, the pulse widths and the neutral point, and three switches. Its
window changes them, writes them back, and keeps a set as a one-line
parameter file.

The command line nimbalctl lists the serial ports, reads, writes, changes
and compares the parameters from scripts, and programs one servo after
another on a production line. Nimbal Station does that for people who do
not use a shell, on up to eight adapters at once, with a verdict on each
servo in large type and an audit log.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link, with their versions, as dpkg-shlibdeps
# finds them; and Qt's PostgreSQL driver, a plugin the line record loads,
# which no program links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(NIMBAL_QT6)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-psql")
else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt5sql5-psql")
endif()
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
