#!/usr/bin/env bash
# Prints the MinGW-w64 runtime DLLs the Windows programs need, one full path
# a line, as the cross compiler (the -posix one of mingw-w64.cmake) finds
# them: the one way both the installer (packaging/windows.cmake) and Wine
# (wine-env.sh) find them.
set -euo pipefail
compiler=${NIMBAL_MINGW_CXX:-x86_64-w64-mingw32-g++-posix}
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    path=$("$compiler" -print-file-name="$dll")
    if [ "${path#/}" = "$path" ] || [ ! -e "$path" ]; then
        echo "mingw-runtime.sh: $compiler does not know where $dll is" >&2
        exit 1
    fi
    echo "$path"
done
