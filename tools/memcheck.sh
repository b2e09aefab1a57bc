#!/usr/bin/env bash
# Starts the window and closes it (as a user would) under valgrind memcheck,
# offscreen, and reports what is definitely lost, and how much of it was
# allocated from the program's own code.
# usage: tools/memcheck.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
install_packages "${BUILD_PACKAGES[@]}" valgrind

configure_and_build bench nimbal-startup-probe

log=$(mktemp)
trap 'rm -f "$log"' EXIT
QT_QPA_PLATFORM=offscreen valgrind --tool=memcheck --leak-check=full \
    --show-leak-kinds=definite --num-callers=40 --log-file="$log" \
    ./build/bench/nimbal-startup-probe tool >/dev/null

grep -E "definitely lost:|ERROR SUMMARY" "$log" | sed 's/^==[0-9]*== *//'
# A loss record is the program's own when a frame of its stack lies in one
# of the program's source files (valgrind names them without folder).
sources=$(find app editor serial core link -name '*.cpp' -printf '%f\n' | sed 's/\.cpp$//' |
          paste -sd'|')
own=$(awk -v own_re="[(]($sources)[.]cpp:" '
           /definitely lost in loss record/ {rec=1; own=0; next}
           rec && $0 ~ own_re {own=1}
           rec && /^==[0-9]+== *$/ {if (own) n++; rec=0}
           END {print n+0}' "$log")
echo "definitely_lost_records_in_own_code: $own (target 0)"
[ "$own" -eq 0 ]
