#!/usr/bin/env bash
# Builds the Debian package build/nimbal-servo_VERSION_ARCH.deb from the
# install rules (CPack's DEB generator), in the same build folder and
# configuration as ./test.sh's Qt 5 pass, so that one build serves both:
# RelWithDebInfo is -O2 -g, as Debian builds its own packages, CPack strips
# the programs, and NIMBAL_HARDEN (on by default) adds Debian's hardening.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
install_packages "${BUILD_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"

# The Qt 5 pass's options, so the two keep sharing one build.
configure_and_build build -DNIMBAL_BUILD_TESTS=ON -DNIMBAL_BUILD_EXTRAS=ON -- package
