#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks that the programs, the
# menu entry and its icon land where a freedesktop desktop looks for them,
# and that the install holds exactly the files of installed-files.txt.
# usage: check-install.sh BUILD_DIR
set -euo pipefail
build_dir=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build_dir" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }

[ -x "$prefix/bin/nimbalctl" ] || fail "bin/nimbalctl missing or not executable"
# The window and the station: each a program, a menu entry and its icon.
for program in nimbal-servo nimbal-station; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program missing or not executable"
    desktop="$prefix/share/applications/$program.desktop"
    [ -f "$desktop" ] || fail "share/applications/$program.desktop missing"
    icon="$prefix/share/icons/hicolor/256x256/apps/$program.png"
    [ -f "$icon" ] || fail "hicolor 256x256 icon of $program missing"
    # The icon is a 256 x 256 PNG, as its folder says.
    python3 - "$icon" <<'PY' || fail "the icon of $program is not a 256x256 PNG"
import struct, sys
data = open(sys.argv[1], 'rb').read(24)
assert data[:8] == b'\x89PNG\r\n\x1a\n' and data[12:16] == b'IHDR'
assert struct.unpack('>II', data[16:24]) == (256, 256)
PY
    desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $program's entry"
    grep -qx "Exec=$program" "$desktop" || fail "Exec does not start the installed $program"
    grep -qx "Icon=$program" "$desktop" || fail "Icon does not name the installed icon of $program"
done

# Nothing but the listed files is installed, and none of them is missing.
expected=$(dirname "$0")/installed-files.txt
if ! found=$(cd "$prefix" && find . -type f -printf '%P\n' | LC_ALL=C sort |
    diff -u "$expected" -); then
    fail "the installed files differ from $expected:"$'\n'"$found"
fi
echo "install tree ok"
