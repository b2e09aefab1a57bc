# The project's addresses, for the Debian package and the Windows installer
# alike. The AppStream id is the reverse of the project's domain followed by
# the program's name, and stays the same from release to release: software
# centres know the program by it.
set(NIMBAL_MAINTAINER "The Nimbal Servo developers <servo@nimbal.org>")
set(NIMBAL_HOMEPAGE "https://nimbal.org/servo/")
set(NIMBAL_SCREENSHOT_URL "${NIMBAL_HOMEPAGE}screenshot.png")
set(NIMBAL_APPSTREAM_ID org.nimbal.NimbalServo)
set(NIMBAL_STATION_SCREENSHOT_URL "${NIMBAL_HOMEPAGE}screenshot-station.png")
set(NIMBAL_STATION_APPSTREAM_ID org.nimbal.NimbalStation)

# What both packages are called and say of the program; CPack strips the
# programs in both.
set(CPACK_PACKAGE_NAME nimbal-servo)
set(CPACK_PACKAGE_VENDOR "The Nimbal Servo developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "set up a Nimbal servo controller over a serial line")
set(CPACK_STRIP_FILES ON)

# The copyright holder, and the licence text without its title and
# copyright line, from LICENSE.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
if(NOT license MATCHES "\nCopyright \\(c\\) ([^\n]+)\n\n(.+[^\n])\n*$")
    message(FATAL_ERROR "LICENSE: no \"Copyright (c) YEAR HOLDER\" line before the licence text")
endif()
set(NIMBAL_COPYRIGHT "${CMAKE_MATCH_1}")
set(NIMBAL_LICENSE_BODY "${CMAKE_MATCH_2}")
