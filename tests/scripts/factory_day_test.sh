#!/usr/bin/env bash
# A day of production end to end, with the real parts: simulated boards
# tested by several stations at once (scripts/run-boards.sh with a profile),
# some built wrong and retested at another station; the forward folder is
# not there in the morning, so the units wait in the stations' spool and go
# once it is back; the collector imports them into a PostgreSQL server of the
# test's own; the database's report views then give the same figures as
# rzstation-cli report over the stations' history.
#   tests/scripts/factory_day_test.sh BIN_DIR
set -euo pipefail
bin="${1:?usage: $0 BIN_DIR}"
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/postgres_server.sh"
work="$(mktemp -d)"
trap 'pg_server_stop || true; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
count() { find "$1" -maxdepth 1 -name '*.json' 2>/dev/null | wc -l; }
export XDG_DATA_HOME="$work/data-home"

jq '.sequence = ["download", "config", "service-com"] | del(."$schema")' "$here/../../profiles/rz-board.json" \
  >"$work/profile.json"
boards() {  # boards STATION OPTIONS...: one round of run-boards.sh, its table kept in $work/STATION.txt
  local station=$1
  shift
  "$here/../../scripts/run-boards.sh" -b "$bin" -d "$work/runs" -P "$work/profile.json" -H "$work/history" \
    -F "$work/share" -S "$station" "$@" >"$work/$station.txt" 2>&1 || true
  cat "$work/$station.txt"
}

# Morning, the share not mounted: boards 1-3 at line-A, board 2 with a wrong supply.
boards line-A -n 3 -f 2="--eth-voltage 0"
grep -q '^board2 .* FAIL ' "$work/line-A.txt" || fail "board 2 did not fail"
[ "$(grep -c ' PASS ' "$work/line-A.txt")" -eq 2 ] || fail "boards 1 and 3 did not pass"
[ "$(count "$work/history/spool")" -eq 3 ] || fail "three units should wait in the spool"
grep -q 'wait for the forward folder' "$work"/runs/board1/station.out || fail "the station did not say what waits"

# The share is back: board 2, repaired, is retested at line-B (which sends
# the morning's units too); boards 4 and 5 at line-A, board 5 with a Flash
# nobody knows.
mkdir "$work/share"
boards line-B -o 1 -n 1
grep -q '^board2 .* PASS ' "$work/line-B.txt" || fail "the retest of board 2 did not pass"
boards line-A -o 3 -n 2 -f 5="--flash-device 0x1234"
grep -q '^board5 .* FAIL ' "$work/line-A.txt" || fail "board 5 did not fail"
[ "$(count "$work/history/spool")" -eq 0 ] || fail "units still wait: $(ls "$work/history/spool")"
[ "$(count "$work/share")" -eq 6 ] || fail "six units expected in the share, $(count "$work/share") there"

pg_server_start "$work/pg" -c fsync=off
"$bin/rzstation-collect" --from "$work/share" --db "$PG_CONNINFO" --once | tee "$work/collect.txt"
grep -q 'imported 6, already known 0, quarantined 0' "$work/collect.txt" || fail "the collector did not import six units"
[ "$(count "$work/share/archive")" -eq 6 ] && [ "$(count "$work/share")" -eq 0 ] || fail "the share was not archived"

failed=0
for table in days pareto retested; do
  station=$("$bin/rzstation-cli" report --history "$work/history" --csv "$table")
  database=$("$PG_SERVER_BIN/psql" "$PG_CONNINFO" -XAtq \
    -c "COPY (SELECT * FROM report_$table) TO STDOUT WITH (FORMAT csv, HEADER)")
  if [ "$station" != "$database" ]; then
    echo "FAIL: report $table differs between the station and the database:"
    diff <(echo "$station") <(echo "$database") || true
    failed=1
  fi
done
[ "$failed" -eq 0 ] || exit 1
days=$("$bin/rzstation-cli" report --history "$work/history" --csv days)
echo "$days"
# line-A: five boards, three passed at once; line-B: one retest, which passed.
echo "$days" | grep -q '^line-A,[0-9-]*,5,5,3,60.0,0,0,' || fail "line-A's figures"
echo "$days" | grep -q '^line-B,[0-9-]*,1,0,0,,1,1,' || fail "line-B's figures"
"$bin/rzstation-cli" report --history "$work/history" --csv pareto | grep -q '^config.ethernet.supplyMillivolts,1,' ||
  fail "the Pareto lacks the supply"
echo "a day of five boards at two stations: forwarded after the share came back, imported, same report"
