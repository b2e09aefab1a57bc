#!/usr/bin/env bash
# Completes nimbalctl command lines with the bash completion script, called
# the way bash calls it, against the real nimbalctl, and compares the
# candidates with the expected ones. The script learns the commands and
# options from nimbalctl's help, so this also checks that the help still
# says what the script reads from it.
# usage: check-completion.sh COMPLETION_SCRIPT NIMBALCTL
set -euo pipefail
# shellcheck source=/dev/null
source "$1"
real_nimbalctl=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")

fail() { echo "FAIL: $*" >&2; exit 1; }

# The program, but for "nimbalctl ports", which lists two USB adapters.
nimbalctl() {
    if [ "$1" = ports ]; then
        printf '%s\n' "NAME     LOCATION      DESCRIPTION" \
            "ttyUSB0  /dev/ttyUSB0  FT232R USB UART" "ttyACM1  /dev/ttyACM1  CDC device"
    else
        "$real_nimbalctl" "$@"
    fi
}

words() { tr ' ' '\n' | sed '/^$/d' | LC_ALL=C sort | paste -sd ' '; }

# expect "CANDIDATES" WORD...: the words of a command line as bash splits
# them ("=" is a word of its own), the last being the word completed.
expect() {
    local wanted got
    wanted=$(words <<<"$1")
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    COMPREPLY=()
    _nimbalctl nimbalctl "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    got=$(printf '%s\n' "${COMPREPLY[@]}" | words)
    [ "$got" = "$wanted" ] || fail "completing \"$*\": wanted \"$wanted\", got \"$got\""
}

commands="ports read write set diff batch doctor db history report help"
servo_options="-p --port --timeout --retries -v --verbose -h --help"
ports="ttyUSB0 ttyACM1 $(compgen -G '/dev/serial/by-id/*' || true)"

expect "$commands" nimbalctl ""
expect "read report" nimbalctl re
expect "-h --help --version -p --port --timeout --retries -v --verbose" nimbalctl -
expect "read" nimbalctl -v --port ttyUSB0 rea
expect "read" nimbalctl --port = ttyUSB0 --timeout 100 rea
expect "$ports" nimbalctl --port ""
expect "--format --out $servo_options" nimbalctl -p ttyUSB0 read -
expect "--json -h --help" nimbalctl ports -
expect "--format --out $servo_options" nimbalctl read -
expect "--no-verify $servo_options" nimbalctl write -
expect "$servo_options" nimbalctl set -
expect "$servo_options" nimbalctl diff -
expect "--log --count --labels --db --station --operator $servo_options" nimbalctl batch -
expect "--db --json -h --help" nimbalctl history -
expect "--db --since --json -h --help" nimbalctl report -
expect "--json $servo_options" nimbalctl doctor -
expect "table line json" nimbalctl read --format ""
expect "json" nimbalctl read --format = j
expect "table line json" nimbalctl read --format =
expect "$ports" nimbalctl read -p ""
expect "ttyUSB0" nimbalctl batch --log log.csv --port ttyU
expect "" nimbalctl read --timeout ""
expect "write" nimbalctl help w
expect "SoftStart=" nimbalctl set Soft
expect "NeutralPoint=" nimbalctl set -p ttyUSB0 N
expect "on off" nimbalctl set SoftStart =
expect "off" nimbalctl set LOCKProtection = of
expect "" nimbalctl set NeutralPoint = 1

# FILE arguments and the files of --out and --log.
files=$(mktemp -d)
trap 'rm -rf "$files"' EXIT
cd "$files"
touch servo.txt second.txt
expect "servo.txt second.txt" nimbalctl write ""
expect "servo.txt" nimbalctl diff second.txt ser
expect "second.txt" nimbalctl batch --log sec
expect "servo.txt second.txt" nimbalctl read --out ""
echo "ok: bash completion"
