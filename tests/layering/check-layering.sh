#!/usr/bin/env bash
# Builds each layering probe and expects it to fail for the one reason it
# was written for: the header it includes is out of its library's reach.
# usage: check-layering.sh BUILD_DIR
set -euo pipefail
build_dir=$1

probe() {
    local target=$1 header=$2 log
    if log=$(cmake --build "$build_dir" --target "$target" 2>&1); then
        echo "FAIL: $target built, so its layer can include $header" >&2
        exit 1
    fi
    # GCC: "error: app/widget.h: No such file or directory";
    # clang: "error: 'app/widget.h' file not found".
    if ! grep -Eq "error: '?${header//./\\.}'?:? (No such file|file not found)" <<<"$log"; then
        echo "FAIL: $target failed for another reason than a missing $header:" >&2
        echo "$log" >&2
        exit 1
    fi
    echo "ok: $target cannot include $header"
}

probe nimbal-probe-core-window app/widget.h
probe nimbal-probe-core-widgets QWidget
probe nimbal-probe-link-window serial/mycombobox.h
probe nimbal-probe-link-widgets QWidget
probe nimbal-probe-testcore-window windowtest.h
probe nimbal-probe-station-window app/widget.h
probe nimbal-probe-record-link lane/lanegroup.h
probe nimbal-probe-link-record recordsender.h
