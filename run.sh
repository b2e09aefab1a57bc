#!/usr/bin/env bash
# Installs what is missing, builds the program and starts its window.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh

# The status log writes Chinese text; it needs a CJK font to be readable.
install_packages "${BUILD_PACKAGES[@]}" fonts-noto-cjk

configure_and_build program nimbal-servo

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" = "" ]; then
    echo "No display found (DISPLAY and WAYLAND_DISPLAY are unset): run ./run.sh from a desktop session." >&2
    exit 1
fi
exec ./build/program/nimbal-servo
