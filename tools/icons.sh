#!/usr/bin/env bash
# Redraws the pictures the programs carry: resources/ICON, and the desktop
# and Windows icons of the window and the station, with nimbal-iconmaker
# (the icons preset). The banners hold text, so the pictures depend on the
# fonts installed; it says which font it drew them with. Review the pictures before committing them.
# usage: tools/icons.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
install_packages "${BUILD_PACKAGES[@]}" fonts-dejavu-core fontconfig

configure_and_build icons
QT_QPA_PLATFORM=offscreen ./build/icons/tools/iconmaker/nimbal-iconmaker resources/ICON \
    resources/desktop/nimbal-servo.png resources/windows/nimbal-servo.ico \
    resources/desktop/nimbal-station.png resources/windows/nimbal-station.ico
echo "font file: $(fc-match -f '%{file}' 'DejaVu Sans:bold')"
git status --short resources/ICON resources/desktop resources/windows
