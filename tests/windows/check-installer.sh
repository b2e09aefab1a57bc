#!/usr/bin/env bash
# Installs the Windows installer silently in a fresh Wine prefix of its own,
# with no WINEPATH and no Qt settings, as on a Windows machine that has
# never seen Qt: every file in place, the Start-menu entry and the entry of
# Apps & Features, the installed nimbalctl.exe runs from its folder alone.
# Then uninstalls it silently and checks that nothing is left behind, and
# that the portable ZIP holds the same files.
# usage: check-installer.sh BUILD_DIR VERSION SERVO_SIM
set -euo pipefail
build=$1
version=$2
sim=$3
installer=$build/nimbal-servo-$version-win64.exe
zip=$build/nimbal-servo-$version-win64.zip

fail() { echo "FAIL: $*" >&2; exit 1; }
ok() { echo "ok: $*"; }
[ -f "$installer" ] || fail "$installer missing (cmake --build --preset windows --target package)"
[ -f "$zip" ] || fail "$zip missing"
ok "$(basename "$installer"): $(stat -c %s "$installer") bytes"

work=$(mktemp -d)
NIMBAL_WINEPREFIX=$work/prefix
source "$(dirname "$0")/../../tools/windows/wine-env.sh"
unset WINEPATH
cleanup() {
    nimbal_stop_serving
    wineserver --kill 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
DISPLAY= wineboot --init </dev/null >/dev/null 2>&1
root=$WINEPREFIX/drive_c/Nimbal
menu=$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/Nimbal\ Servo
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Nimbal Servo'

wine "$installer" /S '/D=C:\Nimbal' </dev/null >/dev/null 2>&1
wineserver --wait
expected=(nimbal-servo.exe nimbalctl.exe nimbal-station.exe Uninstall.exe LICENSE.txt Qt5Core.dll Qt5Gui.dll
    Qt5Widgets.dll Qt5SerialPort.dll Qt5Sql.dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll
    platforms/qwindows.dll imageformats/qjpeg.dll styles/qwindowsvistastyle.dll
    sqldrivers/qsqlodbc.dll nimbal-record-schema.sql)
installed=$(cd "$root" && find . -type f -printf '%P\n' | LC_ALL=C sort)
wanted=$(printf '%s\n' "${expected[@]}" | LC_ALL=C sort)
[ "$installed" = "$wanted" ] || fail "installed files differ:"$'\n'"$(diff <(echo "$wanted") <(echo "$installed"))"
ok "every file in place, nothing else"
for entry in "Nimbal Servo" "Nimbal Station"; do
    [ -f "$menu/$entry.lnk" ] || fail "no Start-menu entry $entry in $menu"
done
entry=$(wine reg query "$key" /v DisplayName </dev/null 2>/dev/null || true)
[[ $entry == *'Nimbal Servo'* ]] || fail "no entry in Apps & Features"
ok "Start-menu entries and Apps & Features entry"

reported=$(wine 'C:\Nimbal\nimbalctl.exe' --version </dev/null 2>/dev/null | tr -d '\r')
[ "$reported" = "nimbalctl $version" ] || fail "the installed nimbalctl.exe --version printed '$reported'"
ok "the installed nimbalctl.exe runs from its folder: $reported"

# And reads a servo through COM5.
nimbal_serve_com "$sim" com5 --hold || fail "no simulated servo on COM5"
line=$(wine 'C:\Nimbal\nimbalctl.exe' read --port COM5 --format line </dev/null 2>/dev/null | tr -d '\r')
[ "$line" = 32,200,16,50,900,2100,25,1520,399,100,120,1,1,0 ] ||
    fail "the installed nimbalctl.exe read '$line' from COM5"
ok "the installed nimbalctl.exe reads the servo on COM5"

wine 'C:\Nimbal\Uninstall.exe' /S </dev/null >/dev/null 2>&1
wineserver --wait
[ ! -e "$root" ] || fail "left behind: $(cd "$root" && find . -printf '%P ')"
[ ! -e "$menu" ] || fail "the Start-menu entry is left behind"
if wine reg query "$key" </dev/null >/dev/null 2>&1; then
    fail "the Apps & Features entry is left behind"
fi
ok "uninstalled, nothing left behind"

zipped=$(unzip -Z1 "$zip" | grep -v '/$' | sed 's|^[^/]*/||' | LC_ALL=C sort)
wanted_zip=$(printf '%s\n' "${expected[@]}" | grep -vx Uninstall.exe | LC_ALL=C sort)
[ "$zipped" = "$wanted_zip" ] || fail "the ZIP holds other files:"$'\n'"$(diff <(echo "$wanted_zip") <(echo "$zipped"))"
ok "the portable ZIP holds the same files"

# Each program carries its icon and a version resource.
unzip -q "$zip" -d "$work/zip"
for program in nimbal-servo nimbalctl nimbal-station; do
    resources=$(x86_64-w64-mingw32-windres -i "$work"/zip/*/"$program.exe" -O rc)
    grep -q 'RT_GROUP_ICON' <<<"$resources" || fail "$program.exe has no icon"
    grep -q "VALUE \"FileVersion\", \"$version\"" <<<"$resources" ||
        fail "$program.exe has no version resource of $version"
done
ok "icon and version resource in every program"
echo "installer ok"
