#!/usr/bin/env bash
# Builds the Debian package build/package/nimbal-servo_VERSION_ARCH.deb from
# the install rules (CPack's DEB generator), with the package preset:
# RelWithDebInfo is -O2 -g, as Debian builds its own packages, CPack strips
# the programs, and NIMBAL_HARDEN (on by default) adds Debian's hardening.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
install_packages "${BUILD_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"

configure_and_build package
