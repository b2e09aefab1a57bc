#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test headless:
# once against Qt 5, once against Qt 5 with AddressSanitizer and
# UndefinedBehaviorSanitizer, and once against Qt 6; the package pass builds
# the Debian package from the Qt 5 build and checks it.
#
# NIMBAL_TEST_PASSES picks passes (default "qt5 package sanitize qt6").
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh

passes=${NIMBAL_TEST_PASSES:-qt5 package sanitize qt6}

packages=("${BUILD_PACKAGES[@]}" desktop-file-utils python3)
case " $passes " in *" qt6 "*) packages+=("${QT6_PACKAGES[@]}") ;; esac
case " $passes " in *" package "*) packages+=("${PACKAGE_PACKAGES[@]}") ;; esac
install_packages "${packages[@]}"

export QT_QPA_PLATFORM=offscreen
export CTEST_OUTPUT_ON_FAILURE=1

# The options are given in full: ./build is shared with run.sh, which turns
# the tests off in its cache, and a pass without tests must not pass.
run_pass() {
    local name=$1 dir=$2
    shift 2
    echo "==== $name: configure and build ($dir)"
    configure_and_build "$dir" -DNIMBAL_BUILD_TESTS=ON "$@"
    echo "==== $name: tests"
    (cd "$dir" && ctest -j"$(build_jobs)" --timeout 300 --no-tests=error)
}

for pass in $passes; do
    case $pass in
    qt5) run_pass "Qt 5" build -DNIMBAL_BUILD_EXTRAS=ON ;;
    sanitize)
        ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1 \
        LSAN_OPTIONS=suppressions=$PWD/tests/sanitizer/lsan.supp \
        UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
            run_pass "Qt 5, ASan+UBSan" build-sanitize -DNIMBAL_SANITIZE=ON -DNIMBAL_BUILD_EXTRAS=OFF ;;
    qt6) run_pass "Qt 6" build-qt6 -DNIMBAL_QT6=ON -DNIMBAL_BUILD_EXTRAS=ON ;;
    package)
        echo "==== Debian package: build (build) and check"
        tools/package.sh
        tests/package/check-package.sh build
        ;;
    *) echo "unknown pass: $pass" >&2; exit 2 ;;
    esac
done
