# Shared by run.sh and test.sh: installs the Debian/Ubuntu packages that are
# missing. Source it, then call: install_packages PACKAGE...
install_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null 2>&1; then
            echo "Missing packages: ${missing[*]} (and no sudo to install them as root)" >&2
            return 1
        fi
        sudo=(sudo)
    fi
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
        "${missing[@]}"
}

# Packages every build needs.
BUILD_PACKAGES=(build-essential cmake qtbase5-dev libqt5serialport5-dev)

# Packages that build the Debian package (dpkg-shlibdeps, file) and check
# it (lintian, appstreamcli, desktop-file-validate, groff, man).
PACKAGE_PACKAGES=(dpkg-dev file lintian appstream desktop-file-utils groff-base man-db)

# Packages of the Qt 6 build.
QT6_PACKAGES=(qt6-base-dev qt6-serialport-dev libgl-dev)

jobs() { echo 2; }
