#!/usr/bin/env bash
# Writes docs/screenshot.png: the window under Xvfb with a CJK font, after
# reading and writing the parameters of a simulated servo. With "windows",
# writes docs/screenshot-windows.png: the Windows window under Wine on
# Xvfb, talking to the Linux simulated servo through COM5 (needs the Qt
# that tools/windows-qt.sh builds).
# usage: tools/screenshot.sh [windows]
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
install_packages "${BUILD_PACKAGES[@]}" xvfb xauth fonts-noto-cjk
xvfb=(xvfb-run -a -s "-screen 0 1024x768x24")

configure_and_build bench nimbal-screenshot nimbal-servo-sim
sim=./build/bench/tools/servosim/nimbal-servo-sim
mkdir -p docs
if [ "${1:-}" != windows ]; then
    trap stop_serving EXIT
    serve_servo "$sim" --hold
    QT_QPA_PLATFORM=xcb "${xvfb[@]}" ./build/bench/tools/screenshot/nimbal-screenshot \
        docs/screenshot.png "$served_port"
    echo "wrote docs/screenshot.png"
    exit 0
fi

install_packages "${WINDOWS_PACKAGES[@]}"
configure_and_build windows nimbal-screenshot
source tools/windows/wine-env.sh
tools/windows/wine-prefix.sh start
trap nimbal_stop_serving EXIT
nimbal_serve_com "$sim" com5 --hold
# The windows platform, not the tests' screenless one.
"${xvfb[@]}" tools/windows/wine-run.sh build/windows/tools/screenshot/nimbal-screenshot.exe \
    "Z:$PWD/docs/screenshot-windows.png" COM5 -platform windows 2> >(grep -v '^wine: ' >&2)
echo "wrote docs/screenshot-windows.png"
