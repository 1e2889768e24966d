# A throwaway PostgreSQL server for tests and benchmarks, on a Unix socket
# only (no TCP). Source this file, then:
#   pg_server_start DIR [SERVER OPTION...]   initdb into DIR/data, start the server with its
#                                           socket in DIR/socket; exports PG_CONNINFO (libpq
#                                           connection string) and PG_SERVER_BIN (the server's
#                                           programs: psql, pg_ctl, ...)
#   pg_server_stop                          stops it; harmless when it is not running
# DIR is a new folder, e.g. made by mktemp -d or inside one. The server's
# programs are taken from /usr/lib/postgresql/VERSION/bin (the newest). initdb
# refuses to run as root: as root, the server runs as the user postgres (made
# by Debian's postgresql package), DIR is handed over to it, the temporary
# folders above it are made passable (search only) for it, and the connection
# is made as that user. Extra server options are given as "-c name=value".

pg_server_start() {
  local dir=$1
  shift
  PG_SERVER_BIN=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
  if [ -z "$PG_SERVER_BIN" ] || [ ! -x "$PG_SERVER_BIN/initdb" ]; then
    echo "pg_server_start: no PostgreSQL server under /usr/lib/postgresql (Debian package postgresql)" >&2
    return 1
  fi
  export PG_SERVER_BIN
  PG_SERVER_DIR=$dir
  PG_SERVER_AS=()
  local user
  user=$(id -un)
  mkdir -p "$dir/data" "$dir/socket" || return 1
  if [ "$(id -u)" -eq 0 ]; then
    user=postgres
    PG_SERVER_AS=(runuser -u postgres --)
    chown -R postgres: "$dir" || return 1
    local up
    up=$(cd "$dir/.." && pwd)
    while ! runuser -u postgres -- test -x "$up/"; do
      case "$up/" in
        "${TMPDIR:-/tmp}"/?*) chmod o+x "$up" || return 1 ;;
        *) echo "pg_server_start: the user postgres cannot reach $dir (through $up)" >&2; return 1 ;;
      esac
      up=$(dirname "$up")
    done
  fi
  if ! "${PG_SERVER_AS[@]}" "$PG_SERVER_BIN/initdb" -D "$dir/data" -U "$user" -A trust -E UTF8 --locale=C \
      >"$dir/initdb.log" 2>&1; then
    echo "pg_server_start: initdb failed:" >&2
    cat "$dir/initdb.log" >&2
    return 1
  fi
  if ! "${PG_SERVER_AS[@]}" "$PG_SERVER_BIN/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
      -o "-k $dir/socket -c listen_addresses='' $*" start >/dev/null; then
    echo "pg_server_start: the server did not start:" >&2
    cat "$dir/server.log" >&2
    return 1
  fi
  export PG_CONNINFO="host=$dir/socket user=$user dbname=postgres"
}

pg_server_stop() {
  [ -n "${PG_SERVER_DIR:-}" ] && [ -f "$PG_SERVER_DIR/data/postmaster.pid" ] || return 0
  "${PG_SERVER_AS[@]}" "$PG_SERVER_BIN/pg_ctl" -D "$PG_SERVER_DIR/data" -m fast -w -t 60 stop >/dev/null
}
