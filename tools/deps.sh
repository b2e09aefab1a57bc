# The steps run.sh, test.sh and the tools/*.sh scripts share. Source it from
# the top of the source tree, then call:
#   install_packages PACKAGE...   installs the Debian/Ubuntu packages missing
#   configure_and_build PRESET [TARGET...]
#   build_jobs                    prints how many jobs a build or ctest runs
#   quietly LOG COMMAND...        runs COMMAND with its output in LOG
#   serve_servo SIM [OPTION...]   starts a simulated servo; its port in $served_port
#   stop_serving                  ends every servo serve_servo started
install_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if [ "$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null)" != "install ok installed" ]; then
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

# Packages every build needs; Qt's Linguist tools make the translations,
# and Qt's PostgreSQL driver carries the line record.
BUILD_PACKAGES=(build-essential cmake ninja-build qtbase5-dev libqt5serialport5-dev
    qttools5-dev-tools libqt5sql5-psql)

# Packages the line record's tests need: a PostgreSQL server they start
# and stop themselves (tests/record/postgres-server.sh).
RECORD_TEST_PACKAGES=(postgresql)

# Packages that build the Debian package (dpkg-shlibdeps, file) and check
# it (lintian, appstreamcli, desktop-file-validate, groff, man).
PACKAGE_PACKAGES=(dpkg-dev file lintian appstream desktop-file-utils groff-base man-db)

# Packages of the Windows build: the MinGW-w64 cross compilers, what builds
# Qt for it (tools/windows-qt.sh), Wine to run its tests, NSIS for its
# installer, a font for the tests' screenless platform, and the host's ODBC
# and PostgreSQL ODBC driver, to which Wine's ODBC passes the record's calls.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix make perl xz-utils wine wine64 nsis unzip
    fonts-dejavu-core unixodbc odbc-postgresql "${RECORD_TEST_PACKAGES[@]}")

# Packages of the Qt 6 build.
QT6_PACKAGES=(qt6-base-dev qt6-serialport-dev libgl-dev libqt6sql6-psql)

# NIMBAL_JOBS, or else one job per processor.
build_jobs() {
    echo "${NIMBAL_JOBS:-$(nproc)}"
}

# Configures the build folder of the CMake preset PRESET (build/PRESET, see
# CMakePresets.json; cmake's chatter is dropped) and builds the TARGETs, or
# the preset's own targets when none is named. Each preset has a folder of
# its own, so no script changes another one's configuration.
configure_and_build() {
    local preset=$1
    shift
    local target_args=()
    [ $# -eq 0 ] || target_args=(--target "$@")
    # Explicit returns: a caller's `if` turns errexit off in here.
    cmake --preset "$preset" >/dev/null || return
    cmake --build --preset "$preset" -j"$(build_jobs)" "${target_args[@]}" || return
}

# Runs COMMAND with its output going to the file LOG, so a script's own
# output stays short; when COMMAND fails, LOG goes to stderr and its status
# is returned.
quietly() {
    local log=$1
    shift
    mkdir -p "$(dirname "$log")"
    local status=0
    "$@" >"$log" 2>&1 || status=$?
    [ "$status" -eq 0 ] || cat "$log" >&2
    return "$status"
}

# Starts the simulated servo SIM (nimbal-servo-sim) with OPTIONs in the
# background and waits, 5 s at most, for the first line it prints: the
# path of its pseudo-terminal, which lands in $served_port. Its process is
# the last of served_pids.
served_pids=()
serve_servo() {
    local sim=$1
    shift
    local out tries=0
    out=$(mktemp)
    "$sim" "$@" >"$out" 2>&1 &
    served_pids+=($!)
    until [ -s "$out" ]; do
        tries=$((tries + 1))
        if [ $tries -ge 100 ]; then
            echo "$sim printed no port: $(cat "$out")" >&2
            rm -f "$out"
            return 1
        fi
        sleep 0.05
    done
    served_port=$(head -n 1 "$out")
    rm -f "$out"
}

stop_serving() {
    local pid
    for pid in "${served_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    served_pids=()
}
