# The environment of Wine for the windows build; source it, then run wine.
# It sets WINEPREFIX (the build's own prefix; NIMBAL_WINEPREFIX names
# another), WINEPATH (the Qt and MinGW runtime DLLs) and quiet Wine logging.
# Wine hands no QT_ variable to Windows programs; wine-prefix.sh puts those
# the tests need into the prefix's own environment. nimbal_serve_com puts a
# simulated servo on one of the prefix's COM ports.
nimbal_windows_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
nimbal_windows_qt=$(bash "$nimbal_windows_here/../windows-qt.sh" --prefix) || true

# A Unix path as Wine's drive Z: sees it.
nimbal_dos_path() {
    local path=$1
    echo "Z:${path//\//\\}"
}

export WINEPREFIX=${NIMBAL_WINEPREFIX:-$(cd "$nimbal_windows_here/../.." && pwd)/build/windows/wine}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No offer to install Mono or Gecko: neither is needed.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# The folders of the MinGW runtime DLLs, as the compiler finds them.
WINEPATH="$(nimbal_dos_path "$nimbal_windows_qt/bin")"
while read -r nimbal_dll; do
    case ";$WINEPATH;" in
    *";$(nimbal_dos_path "$(dirname "$nimbal_dll")");"*) ;;
    *) WINEPATH+=";$(nimbal_dos_path "$(dirname "$nimbal_dll")")" ;;
    esac
done < <(bash "$nimbal_windows_here/mingw-runtime.sh" 2>/dev/null || true)
export WINEPATH

# nimbal_serve_com SIM PORT [SIM_OPTION...]: starts the Linux simulated
# servo SIM (serve_servo of tools/deps.sh) and links the prefix's COM port
# PORT ("com5") to its pseudo-terminal, so that Windows programs reach it
# as COM5. Its process is the last of served_pids; nimbal_stop_serving
# ends every one and removes their links.
source "$nimbal_windows_here/../deps.sh"
nimbal_served_links=()
nimbal_serve_com() {
    local sim=$1 port=$2
    shift 2
    serve_servo "$sim" "$@" || return
    ln -sfn "$served_port" "$WINEPREFIX/dosdevices/$port"
    nimbal_served_links+=("$WINEPREFIX/dosdevices/$port")
}
nimbal_stop_serving() {
    local link
    stop_serving
    for link in "${nimbal_served_links[@]}"; do rm -f "$link"; done
    nimbal_served_links=()
}

# nimbal_run_windows PROGRAM.exe [ARGUMENT...]: runs it under Wine (as
# wine-run.sh does); its output without the CR of Windows line ends is in
# $out, its messages without Wine's own in $err, its exit status in $status.
nimbal_run_windows() {
    local output
    output=$(mktemp -d)
    status=0
    "$nimbal_windows_here/wine-run.sh" "$@" >"$output/out" 2>"$output/err" || status=$?
    out=$(tr -d '\r' <"$output/out")
    err=$(tr -d '\r' <"$output/err" | grep -v '^wine: ' || true)
    rm -rf "$output"
}
