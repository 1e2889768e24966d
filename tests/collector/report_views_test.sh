#!/usr/bin/env bash
# The report views on the small set of units of report_units.txt, whose
# figures are worked out by hand below: a first pass, retests that pass (at another station, the same
# day, and one whose first unit is later by local time but earlier as an
# instant), a board failing twice, a unit without verdict, a board known by
# neither Uniq_ID nor serial, two stations, two days.
#   tests/collector/report_views_test.sh BIN_DIR
set -uo pipefail
. "$(dirname "$0")/collect_test_env.sh" "$1"

write_report_units "$work"
mkdir -p "$work/archive"
timeout 60 "$bin/rzstation-collect" --from "$work" --db "$PG_CONNINFO" --once >/dev/null || exit 1

failed=0
expect() {  # expect VIEW, then the expected rows on stdin
  local actual
  actual=$(sql -F ' ' -P null=NULL -c "SELECT * FROM $1")
  if [ "$actual" = "$(cat)" ]; then echo "ok: $1"; else echo "FAIL: $1:"; echo "$actual"; failed=1; fi
}
# station day units boards first_pass yield retests passed_after_retest mean max
# A 12-01: units 01 02 04 (08 has no verdict), all first units, 01 passes.
# A 12-02: 05 a retest; 10 is the first unit of 0000000e (22:00 UTC on the 1st).
# B 12-01: 03 and 11 are retests that pass (11 at 23:30 UTC, after 10).
# B 12-02: 06 and 09 are first units, 09 passes; 07 a retest that passes.
expect report_days <<'ROWS'
A 2026-12-01 3 3 1 33.3 0 0 40.0 50.0
A 2026-12-02 2 1 0 0.0 1 0 47.5 60.0
B 2026-12-01 2 0 0 NULL 2 2 32.5 45.0
B 2026-12-02 3 2 1 50.0 1 1 16.7 25.0
ROWS
# rtc: 04 (once, though named twice), 05, 10; sdram: 02, 04; flash: 05.
expect report_pareto <<'ROWS'
rtc 3 50.0 50.0
sdram 2 33.3 83.3
flash 1 16.7 100.0
ROWS
expect report_failures <<'ROWS'
A 2026-12-01 sdram 2
A 2026-12-01 rtc 1
A 2026-12-02 rtc 2
A 2026-12-02 flash 1
ROWS
# In the order they passed: 03 (07:00 UTC on the 1st), 11 (23:30 UTC), 07.
expect report_retested <<'ROWS'
0000000f SN-2 FAIL 2026-12-01 2026-12-01 2
0000000e NULL FAIL 2026-12-02 2026-12-01 2
0000000d NULL INCOMPLETE 2026-12-02 2026-12-02 2
ROWS
exit $failed
