#!/usr/bin/env bash
# The Windows station under Wine, against two Linux simulated servos on
# COM5 and COM6: started with everything set on its command line, it sets
# up a servo on each, and both are in the audit log as passed.
# usage: check-station.sh STATION_EXE SERVO_SIM PARAMETER_FILE
set -euo pipefail
station=$1
sim=$2
file=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../tools/windows/wine-env.sh"

fail() { echo "FAIL: $*" >&2; exit 1; }
work=$(mktemp -d)
station_pid=
cleanup() {
    [ -z "$station_pid" ] || kill "$station_pid" 2>/dev/null || true
    nimbal_stop_serving
    rm -rf "$work"
}
trap cleanup EXIT

nimbal_serve_com "$sim" com5 --hold || fail "no simulated servo on COM5"
nimbal_serve_com "$sim" com6 --hold || fail "no simulated servo on COM6"
log=$work/station.csv
"$here/../../tools/windows/wine-run.sh" "$station" --file "$(nimbal_dos_path "$file")" \
    --port COM5 --port COM6 --log "$(nimbal_dos_path "$log")" --start >"$work/out" 2>&1 &
station_pid=$!
passed() { grep -c ',PASS,' "$log" 2>/dev/null || true; }
tries=0
until [ "$(passed)" -ge 2 ] 2>/dev/null; do
    tries=$((tries + 1))
    [ $tries -lt 600 ] || fail "no two servos passed in 30 s; log: $(cat "$log" 2>/dev/null)"
    sleep 0.05
done
for port in COM5 COM6; do
    [ "$(grep -c ",$port,[0-9]*,PASS," "$log")" -eq 1 ] || fail "$port: $(cat "$log")"
done
echo "ok: nimbal-station.exe set up a servo on COM5 and one on COM6"
