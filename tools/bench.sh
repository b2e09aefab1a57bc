#!/usr/bin/env bash
# Installs what is missing, builds the benchmarks (the bench preset, in
# build/bench)
# and runs each in turn: receiver, startup, roundtrip, sustained, noise, cli,
# lanes, station, stall (twice: with glib's event dispatcher and Qt's own),
# and record (against a PostgreSQL server it starts and stops).
# Every figure is one "name: value" line; a figure with a target carries it
# beside the value. Exits non-zero only when a benchmark fails to run, not
# when a figure misses its target.
# usage: tools/bench.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
install_packages "${BUILD_PACKAGES[@]}" "${RECORD_TEST_PACKAGES[@]}"

benchmarks=(receiver startup roundtrip sustained noise cli lanes station stall record)
targets=(nimbal-servo-sim nimbal-startup-probe nimbalctl nimbal-cli-anchor)
for name in "${benchmarks[@]}"; do
    targets+=("nimbal-bench-$name")
done

# The build's chatter goes to a file, so the output is the figures alone.
quietly build/bench-build.log configure_and_build bench "${targets[@]}"

# The start-up benchmark and its probe sit at the top of the build tree.
path_of() {
    case "$1" in
        startup) echo build/bench/nimbal-bench-startup ;;
        *) echo "build/bench/bench/nimbal-bench-$1" ;;
    esac
}

# Qt wants a private runtime directory and complains on every start
# without one.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    XDG_RUNTIME_DIR=$(mktemp -d)
    export XDG_RUNTIME_DIR
    trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi

failed=()
for name in "${benchmarks[@]}"; do
    echo "== $name"
    if ! QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" "$(path_of "$name")"; then
        echo "nimbal-bench-$name did not run to its end" >&2
        failed+=("$name")
    fi
done
echo "== stall, Qt's own event dispatcher"
QT_NO_GLIB=1 "$(path_of stall)" || failed+=("stall (QT_NO_GLIB=1)")

if [ ${#failed[@]} -gt 0 ]; then
    echo "failed: ${failed[*]}" >&2
    exit 1
fi
