# Cross-builds the programs and their tests for 64-bit Windows with
# Debian's MinGW-w64 compilers (the -posix ones, whose C++ runtime has
# std::thread) against the Qt that tools/windows-qt.sh builds. The test
# programs run under Wine (wine-run.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(NIMBAL_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${NIMBAL_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${NIMBAL_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${NIMBAL_MINGW}-windres)

# The cached Qt, unless the cache names another.
if(NOT NIMBAL_WINDOWS_QT)
    execute_process(COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/../windows-qt.sh --prefix
                    OUTPUT_VARIABLE qt_prefix OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE qt_missing)
    if(qt_missing)
        message(FATAL_ERROR "No Qt for Windows in ${qt_prefix}: build it with "
                            "NIMBAL_QT_SOURCES=FOLDER tools/windows-qt.sh")
    endif()
    set(NIMBAL_WINDOWS_QT ${qt_prefix} CACHE PATH "Qt for Windows (tools/windows-qt.sh)")
endif()

set(CMAKE_FIND_ROOT_PATH ${NIMBAL_WINDOWS_QT} /usr/${NIMBAL_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
