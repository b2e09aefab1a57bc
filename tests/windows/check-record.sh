#!/usr/bin/env bash
# The Windows nimbalctl and the line record under Wine: a PostgreSQL server
# on the Linux side (tests/record/postgres-server.sh, started here and
# stopped after), reached through Qt's ODBC driver, Wine's ODBC, the
# host's unixODBC and its PostgreSQL ODBC driver. nimbalctl.exe makes the
# schema, sets a servo up on COM5 with --db, and its row arrives.
# usage: check-record.sh NIMBALCTL_EXE SERVO_SIM PARAMETER_FILE
set -euo pipefail
nimbalctl=$1
sim=$2
file=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../tools/windows/wine-env.sh"

fail() { echo "FAIL: $*" >&2; exit 1; }
# A short folder: the server's socket path has a length limit.
server=$(mktemp -d /tmp/nimbal-pg-win.XXXXXX)
work=$(mktemp -d)
cleanup() {
    nimbal_stop_serving
    bash "$here/../record/postgres-server.sh" stop "$server" || true
    rm -rf "$work"
}
trap cleanup EXIT

bash "$here/../record/postgres-server.sh" start "$server" || fail "no PostgreSQL server"
db="host=$server/socket port=5439 dbname=postgres user=nimbal_admin"
# The PostgreSQL ODBC driver as the host registers it, but without its
# communication log, which would leave a file in /tmp for every connection.
mkdir "$work/odbc"
sed 's/^CommLog *=.*/CommLog=0/' /etc/odbcinst.ini >"$work/odbc/odbcinst.ini"
export ODBCSYSINI=$work/odbc

nimbalctl() { nimbal_run_windows "$nimbalctl" "$@"; }

nimbalctl db init "$db"
[ "$status" -eq 0 ] && [ "$out" = "schema version 1: created" ] ||
    fail "db init: exit $status; stdout: $out; stderr: $err"

nimbal_serve_com "$sim" com5 --hold || fail "no simulated servo on COM5"
nimbalctl batch -p COM5 --count 1 --station win-1 --db "$db" \
    --log "$(nimbal_dos_path "$work/servos.csv")" "$(nimbal_dos_path "$file")"
[ "$status" -eq 0 ] || fail "batch: exit $status; stdout: $out; stderr: $err"
arrived=$(psql -h "$server/socket" -p 5439 -U nimbal_admin -At postgres \
    -c "SELECT station || ' ' || port || ' ' || result FROM servo_records")
[ "$arrived" = "win-1 COM5 PASS" ] || fail "the record holds '$arrived'; stderr: $err"
echo "ok: nimbalctl.exe batch --db sent its servo's row through ODBC: $arrived"
