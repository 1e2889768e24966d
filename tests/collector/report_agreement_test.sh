#!/usr/bin/env bash
# The report views give what `rzstation-cli report` gives for the same units
# (report_units.txt as a station's history): the same CSV, table by table.
#   tests/collector/report_agreement_test.sh BIN_DIR
set -uo pipefail
. "$(dirname "$0")/collect_test_env.sh" "$1"
export XDG_DATA_HOME=$work/data-home
mkdir -p "$work/history"
write_report_units "$work/history"
"$bin/rzstation-cli" history --rebuild-index --history "$work/history" >/dev/null || exit 1
timeout 60 "$bin/rzstation-collect" --from "$work/history" --db "$PG_CONNINFO" --once >/dev/null || exit 1

failed=0
for table in days pareto retested; do
  station=$("$bin/rzstation-cli" report --history "$work/history" --csv "$table")
  database=$(sql -c "COPY (SELECT * FROM report_$table) TO STDOUT WITH (FORMAT csv, HEADER)")
  if [ "$station" = "$database" ]; then
    echo "ok: $table"
  else
    echo "FAIL: $table differs:"
    diff <(echo "$station") <(echo "$database")
    failed=1
  fi
done
exit $failed
