#!/usr/bin/env bash
# Checks the Debian package that tools/package.sh builds: its control
# fields, lintian, apt's view of its dependencies, every file in its place,
# the metainfo, the desktop entry, the man pages, the Debian changelog, the
# bash completion, and the version the unpacked nimbalctl reports.
# usage: check-package.sh BUILD_DIR
set -euo pipefail
build_dir=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
ok() { echo "ok: $*"; }

version=$(sed -n 's/^#define NIMBAL_VERSION "\(.*\)"$/\1/p' \
    "$build_dir/core/generated/nimbalversion.h")
[ -n "$version" ] || fail "no NIMBAL_VERSION in $build_dir/core/generated/nimbalversion.h"
deb=$build_dir/nimbal-servo_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "$deb missing"
ok "$(basename "$deb")"

# Control fields.
field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = nimbal-servo ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version), not $version"
[ "$(field Section)" = electronics ] || fail "Section: $(field Section)"
[ "$(field Priority)" = optional ] || fail "Priority: $(field Priority)"
[[ $(field Maintainer) == "The Nimbal Servo developers <"*">" ]] ||
    fail "Maintainer: $(field Maintainer)"
# dpkg-shlibdeps wrote the dependencies: versioned C and Qt libraries.
depends=$(field Depends)
[[ $depends == *"libc6 (>= "* && $depends == *libqt*serialport* ]] ||
    fail "Depends does not come from dpkg-shlibdeps: $depends"
ok "control fields"

# Lintian: no error and no warning; the warnings that are right as they are
# carry an override, with its reason, in the package.
lintian --fail-on error,warning --display-info "$deb" || fail "lintian"
ok "lintian"

# apt can resolve the package's dependencies.
apt-get install --simulate "$deb" >"$root/apt.log" 2>&1 ||
    { cat "$root/apt.log" >&2; fail "apt-get install --simulate"; }
grep -q '^Inst nimbal-servo ' "$root/apt.log" || { cat "$root/apt.log" >&2; fail "apt would not install it"; }
ok "apt-get install --simulate"

# Every file in its place, and nothing else; directories 0755.
dpkg-deb --extract "$deb" "$root/tree"
if ! found=$(cd "$root/tree/usr" && find . -type f -printf '%P\n' | LC_ALL=C sort |
    diff -u "$here/../install/installed-files.txt" -); then
    fail "the package's files differ from installed-files.txt:"$'\n'"$found"
fi
bad_dirs=$(find "$root/tree" -mindepth 1 -type d ! -perm 0755)
[ -z "$bad_dirs" ] || fail "directories not 0755: $bad_dirs"
ok "files in place"

share=$root/tree/usr/share
for id in org.nimbal.NimbalServo org.nimbal.NimbalStation; do
    appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" ||
        fail "appstreamcli rejects $id's metainfo"
    grep -q "<release version=\"$version\"" "$share/metainfo/$id.metainfo.xml" ||
        fail "$id's metainfo has no release $version"
done
for entry in nimbal-servo nimbal-station; do
    desktop-file-validate "$share/applications/$entry.desktop" || fail "desktop-file-validate $entry"
done
ok "metainfo and desktop entry"

# The man pages render without a warning and name this version, and
# nimbalctl's has the sections and exit statuses it must have. Each page is
# read whole before it is searched: grep -q at the end of a pipe may exit
# before the pipe's writer is done, and pipefail then counts that as a failure.
for page in nimbal-servo nimbalctl nimbal-station; do
    warnings=$(zcat "$share/man/man1/$page.1.gz" | groff -man -ww -z 2>&1)
    [ -z "$warnings" ] || fail "groff warns about $page.1:"$'\n'"$warnings"
    text=$(zcat "$share/man/man1/$page.1.gz" | sed 's/\\-/-/g')
    grep -q "^\.TH .* \"$page $version\"" <<<"$text" || fail "$page.1 does not name version $version"
done
nimbalctl_page=$(zcat "$share/man/man1/nimbalctl.1.gz" | sed 's/\\-/-/g')
# Its commands and options are checked against the program's help by the
# tests (tst_cli_read); here, the sections a reader looks for.
for word in '.SH SERVO OPTIONS' '.SH EXIT STATUS' '.SH ENVIRONMENT' '.SH FILES' \
    '.SH SERIAL PORT PERMISSIONS' NIMBAL_PORT dialout usermod; do
    grep -qF -- "$word" <<<"$nimbalctl_page" || fail "nimbalctl.1 does not mention $word"
done
exit_statuses=$(sed -n '/^\.SH EXIT STATUS/,/^\.SH /p' <<<"$nimbalctl_page")
for status in 0 1 2 3 4 5; do
    grep -qx "\.B $status" <<<"$exit_statuses" || fail "nimbalctl.1 does not describe exit status $status"
done
ok "man pages"

# The Debian changelog parses, and its newest entry is this version.
zcat "$share/doc/nimbal-servo/changelog.gz" >"$root/changelog"
[ "$(dpkg-parsechangelog -l "$root/changelog" --show-field Version)" = "$version" ] ||
    fail "the Debian changelog's newest entry is not $version"
ok "Debian changelog"

bash "$here/../cli/check-completion.sh" "$share/bash-completion/completions/nimbalctl" \
    "$root/tree/usr/bin/nimbalctl"

# The unpacked programs run, and nimbalctl reports the project version.
reported=$("$root/tree/usr/bin/nimbalctl" --version)
[ "$reported" = "nimbalctl $version" ] || fail "nimbalctl --version printed \"$reported\""
ok "nimbalctl --version: $reported"
echo "package ok"
