#!/usr/bin/env bash
# The Windows programs against the simulated servo, end to end: the Linux
# simulator serves a pseudo-terminal, the Wine prefix's dosdevices/comN
# links to it, and nimbalctl.exe and the window talk to COMN through
# Windows' own serial API, as Wine provides it.
# usage: check-serial.sh NIMBALCTL_EXE WINDOWREAD_EXE SERVO_SIM
set -euo pipefail
nimbalctl=$1
windowread=$2
sim=$3
here=$(cd "$(dirname "$0")" && pwd)
run="$here/../../tools/windows/wine-run.sh"
source "$here/../../tools/windows/wine-env.sh"

fail() { echo "FAIL: $*" >&2; exit 1; }
ok() { echo "ok: $*"; }
[ -x "$sim" ] || fail "no simulated servo at $sim (build the tests preset's nimbal-servo-sim)"

work=$(mktemp -d)
trap 'nimbal_stop_serving; rm -rf "$work"' EXIT

# serve PORT [SIM_OPTION...]: a simulated servo on COM port PORT ("com5").
serve() {
    nimbal_serve_com "$sim" "$@" || fail "no simulated servo on $1"
}

# nimbalctl ARGUMENT...: runs nimbalctl.exe, with $out, $err and $status.
nimbalctl() { nimbal_run_windows "$nimbalctl" "$@"; }

expect() { # STATUS WHAT
    [ "$status" -eq "$1" ] || fail "$2: exit $status, not $1; stdout: $out; stderr: $err"
}

held=32,200,16,50,900,2100,25,1520,399,100,120,1,1,0
serve com5 --hold
nimbalctl read --port COM5 --format line
expect 0 "read"
[ "$out" = "$held" ] || fail "read printed '$out', not '$held'"
ok "read --port COM5: $out"

# The doctor under Wine: Wine sets 111100 baud as 38400 with a custom divisor
# (which a pseudo-terminal ignores), and GetCommState says 38400; the speed
# check names it and stops there.
nimbalctl doctor --port COM5
expect 3 "doctor"
[ "$(head -n 2 <<<"$out")" = "$(printf 'port: ok, COM5\nopen: ok')" ] || fail "doctor printed: $out"
grep -q '^speed: the driver set 38400 baud, not 111100: .*Wine' <<<"$out" ||
    fail "doctor printed: $out"
ok "doctor --port COM5: $(tail -n 1 <<<"$out")"

# Ports above COM9 are \\.\COM10 and on.
ln -sfn "$(readlink "$WINEPREFIX/dosdevices/com5")" "$WINEPREFIX/dosdevices/com12"
nimbal_served_links+=("$WINEPREFIX/dosdevices/com12")
nimbalctl read --port COM12 --format line
expect 0 "read COM12"
[ "$out" = "$held" ] || fail "read on COM12 printed '$out'"
ok "read --port COM12"

# The parameter file holds the same bytes as on Linux: no line end.
nimbalctl read --port COM5 --out "$work/saved.txt"
expect 0 "read --out"
printf '%s' "$held" | cmp - "$work/saved.txt" || fail "--out wrote other bytes than on Linux"
ok "read --out: the same bytes as on Linux"

wanted=10,20,30,40,600,2400,5,1500,300,50,60,0,1,1
printf '%s\r\n' "$wanted" >"$work/wanted.txt"
nimbalctl write --port COM5 -v "$work/wanted.txt"
expect 0 "write with verification"
[ "$(grep -c ' TX 55 ' <<<"$err")" -eq 2 ] || fail "write -v did not trace two requests: $err"
nimbalctl read --port COM5 --format line
expect 0 "read after write"
[ "$out" = "$wanted" ] || fail "after write, the servo holds '$out', not '$wanted'"
ok "write (a file with a CR LF line end) with read-back"

# The window: Read fills every control, Write is answered.
status=0
NIMBAL_TEST_PORT=COM5 NIMBAL_TEST_VALUES=$wanted "$run" "$windowread" -o -,txt >"$work/window" 2>&1 ||
    status=$?
[ "$status" -eq 0 ] || { cat "$work/window" >&2; fail "the window did not read COM5"; }
nimbalctl read --port COM5 --format line
expect 0 "read after the window's write"
[ "$out" = "${wanted/,1500,/,1600,}" ] || fail "after the window's write, the servo holds '$out'"
ok "the window reads COM5 and writes to it"

# One servo of a batch, logged.
nimbalctl batch --port COM5 --count 1 --log "$work/servos.csv" "$work/wanted.txt"
expect 0 "batch"
[ "$(grep -c '' "$work/servos.csv")" -eq 2 ] || fail "the batch log holds: $(cat "$work/servos.csv")"
[[ $out == "1 "??:??:??" PASS"* ]] || fail "batch printed: $out"
ok "batch --count 1 --log"

# Two adapters at once: a lane each, counted together.
serve com9 --hold
nimbalctl batch --port COM5 --port COM9 --count 2 "$work/wanted.txt"
expect 0 "batch on two ports"
[ "$(grep -c ' COM5 PASS$' <<<"$out")" -eq 1 ] && [ "$(grep -c ' COM9 PASS$' <<<"$out")" -eq 1 ] ||
    fail "batch on two ports printed: $out"
[ "$(tail -n 1 <<<"$out")" = "2 servos: 2 passed, 0 failed" ] || fail "batch summary: $out"
ok "batch --port COM5 --port COM9 --count 2"

nimbalctl read --port COM7
expect 3 "a missing port"
grep -q '^nimbalctl: COM7: cannot open: ' <<<"$err" || fail "missing port said: $err"
ok "a missing COM7: $err"

serve com6 --silent --hold
nimbalctl read --port COM6 --timeout 100
expect 4 "a silent servo"
grep -q 'no answer to the read request after 3 attempts of 100 ms' <<<"$err" ||
    fail "silent servo said: $err"
ok "a silent servo: exit 4"

# The adapter goes away while nimbalctl waits for an answer.
serve com8 --silent
status=0
"$run" "$nimbalctl" read --port COM8 --timeout 30000 --retries 0 -v >"$work/out" 2>"$work/err" &
reader=$!
tries=0
until grep -q ' TX 55 ' "$work/err"; do
    tries=$((tries + 1))
    [ $tries -lt 400 ] || fail "nimbalctl sent no request to COM8"
    sleep 0.05
done
kill "${served_pids[-1]}"
wait "$reader" || status=$?
err=$(tr -d '\r' <"$work/err")
expect 3 "a port that vanishes"
grep -q '^nimbalctl: COM8: port lost: ' <<<"$err" || fail "vanished port said: $err"
ok "a port that vanishes: exit 3"

nimbalctl ports
expect 0 "ports"
[[ $out == NAME* ]] || fail "ports printed: $out"
nimbalctl --help
[[ $out == "Usage: nimbalctl "*COMMAND* ]] || fail "--help printed: $out"
ok "ports and --help"
echo "serial ok"
