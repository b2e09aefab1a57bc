#!/usr/bin/env bash
# Every text of the station is translated: lupdate, run on the station's
# sources into a copy of each .ts file, finds no text the file lacks, and
# no message of the file is left unfinished or obsolete.
# usage: check-translations.sh SOURCE_DIR LUPDATE
set -euo pipefail
source_dir=$1
lupdate=${2:-}
[ -x "$lupdate" ] || { echo "FAIL: no lupdate (Qt's Linguist tools)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for ts in "$source_dir"/station/translations/*.ts; do
    cp "$ts" "$work/checked.ts"
    "$lupdate" -silent -locations none "$source_dir/station" -ts "$work/checked.ts" >/dev/null
    if ! diff -u "$ts" "$work/checked.ts" >"$work/diff"; then
        echo "FAIL: $(basename "$ts") is not what lupdate makes of the sources:" >&2
        cat "$work/diff" >&2
        status=1
    fi
    if grep -qE 'type="(unfinished|obsolete|vanished)"' "$ts"; then
        echo "FAIL: $(basename "$ts") has texts left untranslated:" >&2
        grep -B2 -E 'type="(unfinished|obsolete|vanished)"' "$ts" >&2
        status=1
    fi
done
[ "$status" -eq 0 ] && echo "ok: every text of the station is translated"
exit "$status"
