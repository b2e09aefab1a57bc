#!/usr/bin/env bash
# Writes docs/screenshot.png: the window under Xvfb with a CJK font, after
# reading and writing the parameters of a simulated servo.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
install_packages "${BUILD_PACKAGES[@]}" xvfb xauth fonts-noto-cjk

configure_and_build bench nimbal-screenshot
mkdir -p docs
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" \
    ./build/bench/tools/screenshot/nimbal-screenshot docs/screenshot.png
echo "wrote docs/screenshot.png"
