#!/usr/bin/env bash
# A throwaway PostgreSQL server for the line record's tests and benchmarks.
# It listens on a Unix socket only, so runs in separate folders never meet
# and no TCP port is taken. The layout is fixed:
#   socket folder  DIR/socket (the socket is DIR/socket/.s.PGSQL.5439)
#   port           5439
#   superuser      nimbal_admin, no password over the socket
#   database       postgres
#   server log     DIR/server.log
# Every other role logs in with a scram-sha-256 password, so a test can
# check that a wrong one is refused.
# usage: postgres-server.sh start|stop|pause|resume DIR
#   start   a fresh cluster in DIR/data (DIR is made if missing), running
#   stop    ends the server, if one runs, and removes DIR
#   pause   ends the server and keeps the data
#   resume  starts the kept cluster again
# initdb refuses root: as root the server runs as Debian's "postgres" user
# and DIR belongs to it; root, the client, reaches the socket anyway.
set -euo pipefail

port=5439
admin=nimbal_admin
server_user=postgres
# Marks a folder this script made, so that stop never removes another.
marker=.nimbal-postgres-server

usage() { echo "usage: postgres-server.sh start|stop|pause|resume DIR" >&2; exit 2; }
fail() { echo "postgres-server.sh: $*" >&2; exit 1; }
if [ $# -ne 2 ] || [ -z "$2" ]; then usage; fi
command=$1
# Absolute: the server's programs run from /.
dir=$(realpath -m -- "$2")

# The server's own programs: Debian keeps them out of PATH (its psql and
# pg_isready wrappers pick a cluster of their own), so they come from the
# folder of the pg_ctl on PATH, or else from the newest installed version.
bindir=
if pg_ctl=$(command -v pg_ctl); then
    bindir=$(dirname "$(readlink -f "$pg_ctl")")
else
    bindir=$(printf '%s\n' /usr/lib/postgresql/*/bin | sort -V | tail -n 1)
fi
[ -x "$bindir/initdb" ] || fail "no PostgreSQL server programs (initdb, pg_ctl) found"

# as_server COMMAND...: runs COMMAND as the user the server runs as, from
# a folder that user may enter.
if [ "$(id -u)" -eq 0 ]; then
    id "$server_user" >/dev/null 2>&1 || fail "running as root needs the user '$server_user' to run the server"
    as_server() { (cd / && runuser -u "$server_user" -- "$@"); }
else
    as_server() { (cd / && "$@"); }
fi

# running: whether a server runs on DIR/data (pg_ctl status says 0).
running() {
    [ -f "$dir/data/PG_VERSION" ] || return 1
    as_server "$bindir/pg_ctl" status -D "$dir/data" >/dev/null 2>&1
}

halt() {
    if running; then
        as_server "$bindir/pg_ctl" stop -s -m fast -w -t 20 -D "$dir/data" ||
            fail "the server in $dir did not stop"
    fi
}

# launch: starts the cluster and waits until it takes connections; on
# failure the log's end says why.
launch() {
    if ! as_server "$bindir/pg_ctl" start -s -w -t 20 -D "$dir/data" -l "$dir/server.log" >/dev/null ||
        ! ready; then
        echo "postgres-server.sh: the server in $dir did not start; the end of its log:" >&2
        tail -n 20 "$dir/server.log" >&2 2>/dev/null || true
        exit 1
    fi
}

# ready: pg_ctl's "ready" comes from the server itself; this checks the
# socket clients use, for up to 20 s.
ready() {
    local _
    for _ in $(seq 40); do
        "$bindir/pg_isready" -q -h "$dir/socket" -p "$port" -U "$admin" -d postgres && return 0
        sleep 0.5
    done
    return 1
}

# removable: DIR is missing, empty or made here.
removable() {
    [ ! -e "$dir" ] || [ -f "$dir/$marker" ] || [ -z "$(ls -A "$dir")" ]
}

case $command in
start)
    removable || fail "$dir is not empty and was not made by this script"
    # A socket's path has room for 107 bytes.
    socket="$dir/socket/.s.PGSQL.$port"
    [ ${#socket} -le 107 ] || fail "the socket path $socket is longer than 107 bytes; use a shorter DIR"
    # The configuration quotes the folder in '"..."'.
    case $dir in *[\'\",]* | *$'\n'*) fail "DIR may not hold quotes, commas or line ends: $dir" ;; esac
    mkdir -p "$dir"
    # A server left by a run that never stopped it goes first.
    halt
    find "$dir" -mindepth 1 -delete
    touch "$dir/$marker"
    mkdir "$dir/socket"
    if [ "$(id -u)" -eq 0 ]; then
        chown -R "$server_user:" "$dir"
        as_server test -w "$dir" ||
            fail "the user '$server_user' cannot write to $dir: a folder above it is closed to it"
    fi
    # No fsync while initdb writes: the cluster is thrown away. The C locale
    # sorts the same everywhere.
    if ! as_server "$bindir/initdb" -D "$dir/data" -U "$admin" -A trust -E UTF8 --locale=C \
        --no-sync --no-instructions >"$dir/initdb.log" 2>&1; then
        cat "$dir/initdb.log" >&2
        fail "initdb failed in $dir"
    fi
    cat >>"$dir/data/postgresql.conf" <<EOF

# postgres-server.sh: a Unix socket only, in the test's own folder, and
# times in UTC whatever the host's zone.
listen_addresses = ''
unix_socket_directories = '"$dir/socket"'
port = $port
password_encryption = 'scram-sha-256'
timezone = 'UTC'
EOF
    # The superuser over the socket without a password, every other role
    # with one; no TCP at all.
    cat >"$dir/data/pg_hba.conf" <<EOF
# TYPE  DATABASE  USER           METHOD
local   all       $admin   trust
local   all       all            scram-sha-256
EOF
    launch
    ;;
resume)
    [ -f "$dir/data/PG_VERSION" ] || fail "no cluster in $dir to resume"
    running || launch
    ;;
pause)
    [ -f "$dir/data/PG_VERSION" ] || fail "no cluster in $dir to pause"
    halt
    ;;
stop)
    # Also after a failed or a partial start: ctest's cleanup runs it anyway.
    removable || fail "$dir was not made by this script; not removing it"
    halt
    rm -rf "$dir"
    ;;
*) usage ;;
esac
