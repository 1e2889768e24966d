#!/usr/bin/env bash
# The collector's import rate and the database's size per unit: a PostgreSQL
# server of its own (default settings, so commits reach the disk), N synthetic
# unit files (default 100000), one `rzstation-collect --once`. Prints figures;
# it never fails on a time.
#   bench/collect/collect_bench.sh [N] [BIN_DIR]     BIN_DIR default: build/bin
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
units=${1:-100000}
bin=${2:-$here/../../build/bin}
. "$here/../../tests/scripts/postgres_server.sh"
work=$(mktemp -d)
pg=$(mktemp -d)
trap 'pg_server_stop; rm -rf "$work" "$pg"' EXIT
pg_server_start "$pg"

"$bin/bench_collect_units" "$units" "$work/forward"
bytes=$(du -sb "$work/forward" | cut -f1)
begin=$(date +%s.%N)
"$bin/rzstation-collect" --from "$work/forward" --db "$PG_CONNINFO" --once
end=$(date +%s.%N)
sql() { "$PG_SERVER_BIN/psql" "$PG_CONNINFO" -XAtq -c "$1"; }
sql "VACUUM ANALYZE"
database=$(sql "SELECT pg_database_size(current_database())")
empty=$(sql "SELECT pg_database_size('template1')")
report_begin=$(date +%s.%N)
sql "SELECT count(*) FROM report_days" >/dev/null
report=$(awk -v b="$report_begin" -v e="$(date +%s.%N)" 'BEGIN { printf "%.2f", e - b }')
awk -v n="$units" -v b="$begin" -v e="$end" -v f="$bytes" -v d="$database" -v z="$empty" -v r="$report" 'BEGIN {
  printf "units: %d (files %.0f bytes each)\n", n, f / n
  printf "import: %.1f s, %.0f units/s\n", e - b, n / (e - b)
  printf "database size per unit: %.0f bytes (%.0f MB in all, an empty database %.0f MB)\n", (d - z) / n, d / 1e6, z / 1e6
  printf "report_days over all units: %s s\n", r
}'
