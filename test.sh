#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test headless:
# once against Qt 5, once against Qt 5 with AddressSanitizer and
# UndefinedBehaviorSanitizer, and once against Qt 6; the package pass packs
# the programs of the Qt 5 pass into the Debian package and checks it; the windows pass cross-builds the
# Windows programs, their tests and their installer, and runs the tests
# under Wine. Each pass has its CMake preset and its own build folder
# (CMakePresets.json).
#
# NIMBAL_TEST_PASSES picks passes (default "qt5 package sanitize qt6 windows").
# The windows pass needs Qt for Windows: built once by tools/windows-qt.sh
# from the tarballs in NIMBAL_QT_SOURCES, then cached; without either it is
# skipped, with one line that says so.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh

passes=${NIMBAL_TEST_PASSES:-qt5 package sanitize qt6 windows}

packages=("${BUILD_PACKAGES[@]}" "${RECORD_TEST_PACKAGES[@]}" desktop-file-utils python3)
case " $passes " in *" qt6 "*) packages+=("${QT6_PACKAGES[@]}") ;; esac
case " $passes " in *" package "*) packages+=("${PACKAGE_PACKAGES[@]}") ;; esac
install_packages "${packages[@]}"

# A pass builds its preset's own folder (build/PRESET) and runs its tests.
run_pass() {
    local name=$1 preset=$2
    echo "==== $name: configure and build (build/$preset)"
    configure_and_build "$preset"
    echo "==== $name: tests"
    ctest --preset "$preset" -j"$(build_jobs)"
}

# The Windows programs: the cached Qt (built first if need be), the Linux
# simulated servo their serial tests talk to, the programs, their tests and
# installer, and the tests under Wine.
windows_pass() {
    if ! tools/windows-qt.sh --prefix >/dev/null && [ -z "${NIMBAL_QT_SOURCES:-}" ]; then
        echo "==== Windows: skipped: no Qt for Windows is cached and NIMBAL_QT_SOURCES is not set" \
            "(README: Windows)"
        return 0
    fi
    install_packages "${WINDOWS_PACKAGES[@]}"
    tools/windows-qt.sh
    echo "==== Windows: the simulated servo (build/tests), programs and installer (build/windows)"
    configure_and_build tests nimbal-servo-sim
    configure_and_build windows
    cmake --build --preset windows --target package >/dev/null
    echo "==== Windows: tests under Wine"
    ctest --preset windows -j"$(build_jobs)"
}

for pass in $passes; do
    case $pass in
    qt5) run_pass "Qt 5" tests ;;
    sanitize) run_pass "Qt 5, ASan+UBSan" sanitize ;;
    qt6) run_pass "Qt 6" qt6 ;;
    package)
        # The programs the Qt 5 pass built and tested, in the configuration
        # they ship in; tools/package.sh builds the same alone (build/package).
        echo "==== Debian package: of the Qt 5 pass's programs (build/tests), and its checks"
        configure_and_build tests
        cmake --build --preset tests --target package >/dev/null
        tests/package/check-package.sh build/tests
        ;;
    windows) windows_pass ;;
    *) echo "unknown pass: $pass" >&2; exit 2 ;;
    esac
done
