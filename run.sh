#!/usr/bin/env bash
# Installs what is missing, builds the program and starts its window; with
# "station" first, Nimbal Station instead, given the OPTIONs that follow.
# usage: ./run.sh
#        ./run.sh station [OPTION...]   (./run.sh station --help)
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh

program=nimbal-servo
if [ "${1:-}" = station ]; then
    program=nimbal-station
    shift
elif [ $# -gt 0 ]; then
    echo "usage: ./run.sh | ./run.sh station [OPTION...]" >&2
    exit 2
fi

# The status log and the station write Chinese text; it needs a CJK font to
# be readable.
install_packages "${BUILD_PACKAGES[@]}" fonts-noto-cjk

configure_and_build program "$program"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" = "" ]; then
    echo "No display found (DISPLAY and WAYLAND_DISPLAY are unset): run ./run.sh from a desktop session." >&2
    exit 1
fi
exec "./build/program/$program" "$@"
