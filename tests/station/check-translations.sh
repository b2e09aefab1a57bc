#!/usr/bin/env bash
# Every text of the link and of the station is translated: lupdate, run on
# each one's sources into a copy of each of its .ts files, finds no text the
# file lacks, and no message of the file is left unfinished or obsolete.
# The English files hold the plural forms only (lupdate -pluralonly).
# usage: check-translations.sh SOURCE_DIR LUPDATE
set -euo pipefail
source_dir=$1
lupdate=${2:-}
[ -x "$lupdate" ] || { echo "FAIL: no lupdate (Qt's Linguist tools)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for part in link record station; do
    for ts in "$source_dir/$part"/translations/*.ts; do
        only=()
        case $ts in *_en.ts) only=(-pluralonly) ;; esac
        cp "$ts" "$work/checked.ts"
        "$lupdate" -silent -locations none "${only[@]}" "$source_dir/$part" -ts "$work/checked.ts" \
            >/dev/null
        if ! diff -u "$ts" "$work/checked.ts" >"$work/diff"; then
            echo "FAIL: $part/$(basename "$ts") is not what lupdate makes of the sources:" >&2
            cat "$work/diff" >&2
            status=1
        fi
        if grep -qE 'type="(unfinished|obsolete|vanished)"' "$ts"; then
            echo "FAIL: $part/$(basename "$ts") has texts left untranslated:" >&2
            grep -B2 -E 'type="(unfinished|obsolete|vanished)"' "$ts" >&2
            status=1
        fi
    done
done
[ "$status" -eq 0 ] && echo "ok: every text of the link and the station is translated"
exit "$status"
