#!/usr/bin/env bash
# Runs a Windows program of the windows build under Wine, in the build's
# own Wine prefix, with the Qt and MinGW runtime DLLs and the Qt plugins in
# reach. ctest runs every Windows test program through it. An argument that
# is the absolute path of an existing file or folder is handed over as Wine's
# drive Z: sees it.
# usage: wine-run.sh PROGRAM.exe [ARGUMENT...]
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
arguments=()
for argument in "$@"; do
    if [[ $argument == /* && -e $argument ]]; then
        argument=$(nimbal_dos_path "$argument")
    fi
    arguments+=("$argument")
done
exec wine "${arguments[@]}"
