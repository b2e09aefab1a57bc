# What makes Nimbal Servo an installable Windows program: the icon and the
# version resource of both programs, the Qt and MinGW runtime DLLs and the
# Qt plugins they need beside them, and CPack's NSIS installer and portable
# ZIP (cmake --build --preset windows --target package). Included by the
# top-level CMakeLists.txt, after the programs' own install rules, when
# building for Windows. The programs run from their folder alone: Qt finds
# its plugins in the folders beside the program, so no qt.conf is needed.

include(${CMAKE_CURRENT_LIST_DIR}/project.cmake)
set(NIMBAL_WINDOWS_ICON ${PROJECT_SOURCE_DIR}/resources/windows/nimbal-servo.ico)

# nimbal_windows_resources(TARGET DESCRIPTION ICON): the icon and a version
# resource for the program TARGET.
function(nimbal_windows_resources target description icon)
    set(NIMBAL_RC_PROGRAM ${target})
    set(NIMBAL_RC_DESCRIPTION "${description}")
    set(NIMBAL_RC_ICON ${icon})
    set(rc ${PROJECT_BINARY_DIR}/packaging/${target}.rc)
    configure_file(${PROJECT_SOURCE_DIR}/resources/windows/version.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
endfunction()
nimbal_windows_resources(nimbal-servo "Nimbal Servo, the servo controller set-up window"
                         ${NIMBAL_WINDOWS_ICON})
nimbal_windows_resources(nimbalctl "nimbalctl, the servo controller command line"
                         ${NIMBAL_WINDOWS_ICON})
nimbal_windows_resources(nimbal-station "Nimbal Station, servo after servo on several adapters"
                         ${PROJECT_SOURCE_DIR}/resources/windows/nimbal-station.ico)

# The Qt libraries and plugins, as the Qt build names them.
set(qt Qt${QT_VERSION_MAJOR})
set(runtime_files)
foreach(module Core Gui Widgets SerialPort Sql)
    list(APPEND runtime_files $<TARGET_FILE:${qt}::${module}>)
endforeach()
if(MINGW)
    # The MinGW runtime of the programs and of Qt, as the compiler finds it.
    execute_process(COMMAND ${CMAKE_COMMAND} -E env NIMBAL_MINGW_CXX=${CMAKE_CXX_COMPILER}
                            bash ${PROJECT_SOURCE_DIR}/tools/windows/mingw-runtime.sh
                    OUTPUT_VARIABLE mingw_dlls OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE mingw_missing)
    if(mingw_missing)
        message(FATAL_ERROR "tools/windows/mingw-runtime.sh found no MinGW runtime")
    endif()
    string(REPLACE "\n" ";" mingw_dlls "${mingw_dlls}")
    list(APPEND runtime_files ${mingw_dlls})
else()
    # Visual C++'s runtime DLLs.
    set(CMAKE_INSTALL_SYSTEM_RUNTIME_DESTINATION .)
    include(InstallRequiredSystemLibraries)
endif()
install(FILES ${runtime_files} DESTINATION .)
install(FILES $<TARGET_FILE:${qt}::QWindowsIntegrationPlugin> DESTINATION platforms)
install(FILES $<TARGET_FILE:${qt}::QJpegPlugin> DESTINATION imageformats)
install(FILES $<TARGET_FILE:${qt}::QWindowsVistaStylePlugin> DESTINATION styles)
# The line record reaches PostgreSQL through ODBC (and psqlODBC, which the
# user installs).
install(FILES $<TARGET_FILE:${qt}::QODBCDriverPlugin> DESTINATION sqldrivers)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)

# The installer, nimbal-servo-VERSION-win64.exe, and the same files as a
# ZIP, in the build folder.
set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_FILE_NAME nimbal-servo-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Nimbal Servo")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Nimbal Servo")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# A Start-menu entry for the window and one for the station; the
# installer's own uninstaller and its entry in Apps & Features come with
# every NSIS installer.
set(CPACK_PACKAGE_EXECUTABLES nimbal-servo "Nimbal Servo" nimbal-station "Nimbal Station")
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_DISPLAY_NAME "Nimbal Servo")
set(CPACK_NSIS_PACKAGE_NAME "Nimbal Servo")
set(CPACK_NSIS_INSTALLED_ICON_NAME nimbal-servo.exe)
set(CPACK_NSIS_URL_INFO_ABOUT ${NIMBAL_HOMEPAGE})
set(CPACK_NSIS_CONTACT "${NIMBAL_MAINTAINER}")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
# The product's name and version where NSIS would put its own, and a box on
# the last page that starts the window. CPack's own CPACK_NSIS_BRANDING_TEXT
# writes "BrandingText /TRIMLEFT", which the makensis of Linux refuses, so
# the line goes in with the icons' (the code CPack would write for them).
set(CPACK_NSIS_INSTALLER_MUI_ICON_CODE
    "!define MUI_ICON \"${NIMBAL_WINDOWS_ICON}\"
!define MUI_UNICON \"${NIMBAL_WINDOWS_ICON}\"
BrandingText \"Nimbal Servo ${PROJECT_VERSION}\"")
set(CPACK_NSIS_MUI_FINISHPAGE_RUN nimbal-servo.exe)
# The settings reach CPack as they are written here, quotes and all.
set(CPACK_VERBATIM_VARIABLES ON)
# makensis builds a 32-bit installer unless told otherwise. Windows runs it
# all the same; Wine without its 32-bit half does not, so the installer
# built on Linux, which is tested under that Wine, is 64-bit like the
# programs it installs.
if(CMAKE_HOST_UNIX)
    set(CPACK_NSIS_EXECUTABLE ${PROJECT_SOURCE_DIR}/tools/windows/makensis-amd64.sh)
endif()
include(CPack)
