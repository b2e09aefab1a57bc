#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks that the two programs,
# the menu entry and its icon land where a freedesktop desktop looks for them.
# usage: check-install.sh BUILD_DIR
set -euo pipefail
build_dir=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build_dir" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }

[ -x "$prefix/bin/nimbal-servo" ] || fail "bin/nimbal-servo missing or not executable"
[ -x "$prefix/bin/nimbalctl" ] || fail "bin/nimbalctl missing or not executable"
desktop="$prefix/share/applications/nimbal-servo.desktop"
[ -f "$desktop" ] || fail "share/applications/nimbal-servo.desktop missing"
icon="$prefix/share/icons/hicolor/256x256/apps/nimbal-servo.png"
[ -f "$icon" ] || fail "hicolor 256x256 icon missing"

# The icon is a 256 x 256 PNG, as its folder says.
python3 - "$icon" <<'PY' || fail "icon is not a 256x256 PNG"
import struct, sys
data = open(sys.argv[1], 'rb').read(24)
assert data[:8] == b'\x89PNG\r\n\x1a\n' and data[12:16] == b'IHDR'
assert struct.unpack('>II', data[16:24]) == (256, 256)
PY

desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the entry"
grep -qx 'Exec=nimbal-servo' "$desktop" || fail "Exec does not start the installed program"
grep -qx 'Icon=nimbal-servo' "$desktop" || fail "Icon does not name the installed icon"

# Nothing but these four files is installed.
count=$(find "$prefix" -type f | wc -l)
[ "$count" -eq 4 ] || fail "expected 4 installed files, found $count: $(find "$prefix" -type f)"
echo "install tree ok"
