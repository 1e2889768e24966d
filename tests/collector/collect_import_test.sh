#!/usr/bin/env bash
# rzstation-collect against a PostgreSQL server of its own: a forward folder
# with good, duplicate, broken and half-copied files; a second import; the
# service mode and its end on SIGTERM; the database gone.
#   tests/collector/collect_import_test.sh BIN_DIR
set -uo pipefail
. "$(dirname "$0")/collect_test_env.sh" "$1"

failed=0
check() {  # check WHAT EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAIL: $1: expected '$2', got '$3'"; failed=1; fi
}
rows() {  # how many units, operations, measurements
  sql -c "SELECT (SELECT count(*) FROM units) || ' ' || (SELECT count(*) FROM operations) || ' ' ||
                 (SELECT count(*) FROM measurements)"
}
collect() { timeout 60 "$bin/rzstation-collect" --from "$fwd" --db "$PG_CONNINFO" --once "$@"; }

fwd=$work/forward
mkdir -p "$fwd"
a=00000000-0000-4000-8000-00000000000a
write_unit "$fwd/20261201T080000-$a.json" "$a" A 2026-12-01T08:00:00.250+03:00 PASS 30.25 SN-1 0000001a
write_unit "$fwd/20261201T090000-b.json" 00000000-0000-4000-8000-00000000000B A 2026-12-01T09:00:00+03:00 \
  FAIL 40 - 0000001b sdram 'ext-com.errors[3]'
write_unit "$fwd/20261201T100000-c.json" 00000000-0000-4000-8000-00000000000c B 2026-12-01T10:00:00Z - 5 - -
cp "$fwd/20261201T080000-$a.json" "$fwd/20261201T080000-copy.json"
printf '{"unitId": "00000000-0000-4000-8000-00000000000d", "start": ' >"$fwd/20261201T110000-broken.json"
echo '{"hello": "world"}' >"$fwd/20261201T120000-other.json"
write_unit "$fwd/20261201T130000-e.json" 00000000-0000-4000-8000-00000000000e A 2026-12-01T13:00:00+03:00 - 1 - -
jq '.operations[0].durationSeconds = "long"' "$fwd/20261201T130000-e.json" >"$fwd/20261201T130000-wrong.json"
jq '.start = "2026-02-30T13:00:00+03:00"' "$fwd/20261201T130000-e.json" >"$fwd/20261201T130000-refused.json"
rm "$fwd/20261201T130000-e.json"
cp "$fwd/20261201T080000-$a.json" "$fwd/.20261201T140000-copying.json"
echo '{"unitId": "00000000-0000-4000-8000-00000000000a"}' >"$fwd/index.jsonl"

out=$(collect 2>"$work/err")
check "first import: exit status" 0 $?
check "first import: summary" "imported 3, already known 1, quarantined 4" "$out"
check "units, operations, measurements" "3 6 6" \
  "$(rows)"
check "a unit's row" "SN-1|0000001a|00000004 00000003 00000002 00000001|A|2026-12-01 05:00:00.25+00|2026-12-01|PASS|30.25|0000001a" \
  "$(sql -c "SET TIME ZONE 'UTC'; SELECT serial, uniq_id, flash_security_id, station, start, day, verdict, seconds, board
          FROM units WHERE unit_id = '$a'")"
check "failing names, board by Uniq_ID" "{sdram,ext-com.errors[3]}|0000001b" \
  "$(sql -c "SELECT failing, board FROM units WHERE unit_id = '00000000-0000-4000-8000-00000000000b'")"
check "unit without verdict" "|unit:00000000-0000-4000-8000-00000000000c|B" \
  "$(sql -c "SELECT verdict, board, station FROM units WHERE unit_id = '00000000-0000-4000-8000-00000000000c'")"
check "operation and measurement rows" "download|1.5|success config.flash.part|AT49BV322A|{\"allowed\": [\"AT49BV322A\"]}" \
  "$(sql -c "SELECT name || '|' || duration_seconds || '|' || outcome FROM operations WHERE unit_id = '$a' AND position = 1") $(
     sql -c "SELECT name || '|' || value_text || '|' || \"limit\" FROM measurements WHERE unit_id = '$a' AND position = 2")"
check "the whole file kept" "\" tab\\there\"" "$(sql -c "SELECT document->'operations'->0->'journal'->1 FROM units WHERE unit_id = '$a'")"
check "archive" "20261201T080000-$a.json 20261201T080000-copy.json 20261201T090000-b.json 20261201T100000-c.json" \
  "$(cd "$fwd/archive" && echo *)"
check "quarantine" "20261201T110000-broken.json 20261201T120000-other.json 20261201T130000-refused.json 20261201T130000-wrong.json" \
  "$(cd "$fwd/quarantine" && echo *.json)"
check "quarantine: a reason for each" 4 "$(cd "$fwd/quarantine" && ls *.json.reason.txt | wc -l)"
grep -q "^not JSON" "$fwd/quarantine/20261201T110000-broken.json.reason.txt"
check "reason: broken JSON" 0 $?
check "reason: not a unit" "unitId is missing" "$(cat "$fwd/quarantine/20261201T120000-other.json.reason.txt")"
grep -q "^refused by the database: .*out of range" "$fwd/quarantine/20261201T130000-refused.json.reason.txt"
check "reason: a date the database refuses" 0 $?
check "reason: wrong type" "operations[0].durationSeconds is not a number" \
  "$(cat "$fwd/quarantine/20261201T130000-wrong.json.reason.txt")"
check "left in the forward folder" ".20261201T140000-copying.json archive index.jsonl quarantine" \
  "$(cd "$fwd" && ls -A | tr '\n' ' ' | sed 's/ $//')"

cp "$fwd/archive/20261201T090000-b.json" "$fwd/"
out=$(collect 2>>"$work/err")
check "second import: changes nothing" "0 imported 0, already known 1, quarantined 0 3 6 6" \
  "$? $out $(rows)"

# The service: a file that arrives is imported within an interval; SIGTERM ends it.
timeout 60 "$bin/rzstation-collect" --from "$fwd" --db "$PG_CONNINFO" --interval 1 >"$work/service.out" 2>&1 &
service=$!
write_unit "$fwd/20261202T080000-f.json" 00000000-0000-4000-8000-00000000000f B 2026-12-02T08:00:00Z PASS 9 - -
for _ in $(seq 200); do [ -f "$fwd/archive/20261202T080000-f.json" ] && break; sleep 0.1; done
kill -TERM "$service"
wait "$service"
check "service: ends on SIGTERM" 0 $?
check "service: imported the new file" "imported 1, already known 0, quarantined 0" "$(cat "$work/service.out")"

pg_server_stop
write_unit "$fwd/20261203T080000-g.json" 00000000-0000-4000-8000-000000000010 B 2026-12-03T08:00:00Z PASS 9 - -
collect >/dev/null 2>"$work/err"
check "database down: exit status" 1 $?
grep -q "cannot use the database" "$work/err"
check "database down: says so" 0 $?
check "database down: the file stays" "yes no" \
  "$([ -f "$fwd/20261203T080000-g.json" ] && echo yes || echo no) $([ -e "$fwd/quarantine/20261203T080000-g.json" ] && echo yes || echo no)"
"$bin/rzstation-collect" --once >/dev/null 2>&1
check "no --from: usage error" 2 $?
exit $failed
