#!/usr/bin/env bash
# Writes the pictures of the README under Xvfb with a CJK font:
#   docs/screenshot.png          the window after reading and writing a
#                                simulated servo's parameters;
#   docs/screenshot-station.png  the station with two lanes, one servo
#                                passed and one failed (the second servo
#                                keeps its own Neutral Point).
# With "windows", the same of the Windows programs under Wine on Xvfb,
# talking to the Linux simulated servos through COM5 and COM6 (needs the Qt
# that tools/windows-qt.sh builds): docs/screenshot-windows.png and
# docs/screenshot-station-windows.png.
# usage: tools/screenshot.sh [windows]
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
install_packages "${BUILD_PACKAGES[@]}" xvfb xauth fonts-noto-cjk
xvfb=(xvfb-run -a -s "-screen 0 1280x900x24")

configure_and_build bench nimbal-screenshot nimbal-station-screenshot nimbal-servo-sim
sim=./build/bench/tools/servosim/nimbal-servo-sim
file=tests/data/wanted-values.txt
mkdir -p docs
work=$(mktemp -d)
# The station keeps its settings: of this run's own, not the user's.
export XDG_CONFIG_HOME=$work/config
if [ "${1:-}" != windows ]; then
    trap 'stop_serving; rm -rf "$work"' EXIT
    serve_servo "$sim" --hold
    first=$served_port
    QT_QPA_PLATFORM=xcb "${xvfb[@]}" ./build/bench/tools/screenshot/nimbal-screenshot \
        docs/screenshot.png "$first"
    echo "wrote docs/screenshot.png"
    serve_servo "$sim" --hold --force NeutralPoint=1500
    QT_QPA_PLATFORM=xcb "${xvfb[@]}" ./build/bench/tools/screenshot/nimbal-station-screenshot \
        docs/screenshot-station.png "$file" "$work/station.csv" "$first" "$served_port"
    echo "wrote docs/screenshot-station.png"
    exit 0
fi

install_packages "${WINDOWS_PACKAGES[@]}"
configure_and_build windows nimbal-screenshot nimbal-station-screenshot
source tools/windows/wine-env.sh
tools/windows/wine-prefix.sh start
trap 'nimbal_stop_serving; rm -rf "$work"' EXIT
nimbal_serve_com "$sim" com5 --hold
nimbal_serve_com "$sim" com6 --hold --force NeutralPoint=1500
# The windows platform, not the tests' screenless one.
"${xvfb[@]}" tools/windows/wine-run.sh build/windows/tools/screenshot/nimbal-screenshot.exe \
    "Z:$PWD/docs/screenshot-windows.png" COM5 -platform windows 2> >(grep -v '^wine: ' >&2)
echo "wrote docs/screenshot-windows.png"
"${xvfb[@]}" tools/windows/wine-run.sh build/windows/tools/screenshot/nimbal-station-screenshot.exe \
    "Z:$PWD/docs/screenshot-station-windows.png" "Z:$PWD/$file" "$(nimbal_dos_path "$work/station.csv")" \
    COM5 COM6 -platform windows 2> >(grep -v '^wine: ' >&2)
echo "wrote docs/screenshot-station-windows.png"
