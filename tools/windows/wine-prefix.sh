#!/usr/bin/env bash
# Starts and stops Wine for a test run of the windows build: "start" makes
# the build's own Wine prefix on first use, without dialogs (Wine's first
# start takes about ten seconds), gives it the environment the tests' Qt
# needs, and keeps its server running, so each test starts at once; "stop"
# ends the server.
# usage: wine-prefix.sh start|stop
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
case ${1:-} in
start)
    mkdir -p "$WINEPREFIX"
    # The server outlives this script: it must not hold its output open. A
    # server that runs already (an earlier run's) serves as well.
    wineserver --persistent </dev/null >/dev/null 2>&1 || true
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        # No display: Wine shows no window while it sets the prefix up.
        DISPLAY= wineboot --init </dev/null >/dev/null 2>&1
    fi
    # Wine's services start with the first program and keep its standard
    # streams: started here, they hold none of a test's open.
    wine cmd /c exit </dev/null >/dev/null 2>&1
    # What the tests' Qt needs from its environment: the plugins of the
    # cached Qt, no screen, and fonts for the screenless platform, which
    # does not use Windows' own (Debian's fonts-dejavu-core).
    for setting in "QT_PLUGIN_PATH=$(nimbal_dos_path "$nimbal_windows_qt/plugins")" \
        QT_QPA_PLATFORM=offscreen \
        "QT_QPA_FONTDIR=$(nimbal_dos_path /usr/share/fonts/truetype/dejavu)"; do
        wine reg add 'HKCU\Environment' /v "${setting%%=*}" /t REG_SZ /d "${setting#*=}" /f \
            </dev/null >/dev/null 2>&1
    done
    ;;
stop) wineserver --kill || true ;;
*) echo "usage: wine-prefix.sh start|stop" >&2; exit 2 ;;
esac
