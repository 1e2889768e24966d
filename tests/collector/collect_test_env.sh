# What the collector's test scripts share. Sourced with the test's BIN_DIR as
# $1: a PostgreSQL server of the test's own is started (PG_CONNINFO,
# PG_SERVER_BIN), `work` names a scratch folder, both go at exit; `bin` is
# BIN_DIR, `sql SQL` runs a query and prints its rows unaligned.
# Then unit files are written as the station writes them (the fields the
# collector reads, with the rest of a unit's shape around them):
#   write_unit FILE UNIT_ID STATION START VERDICT SECONDS SERIAL UNIQ_ID [FAILING...]
#   write_report_units FOLDER    the units of report_units.txt, named as the station names them
# VERDICT is PASS, FAIL, INCOMPLETE or - (no verdict); SERIAL and UNIQ_ID are -
# for none. SECONDS is split over two operations.
write_unit() {
  local file=$1 id=$2 station=$3 start=$4 verdict=$5 seconds=$6 serial=$7 uniq=$8
  shift 8
  jq -n --arg id "$id" --arg station "$station" --arg start "$start" --arg verdict "$verdict" \
    --argjson seconds "$seconds" --arg serial "$serial" --arg uniq "$uniq" '
    def none_if_dash: if . == "-" then null else . end;
    {schemaVersion: 1, unitId: $id, serial: ($serial | none_if_dash), port: "COM1", downloaded: true,
     testProgram: {size: 65536, sha256: "00"}, start: $start,
     outcome: (if $verdict == "PASS" then "success" else "failure" end),
     identity: {processor: (if $uniq == "-" then null else
                  {type: "EP7312", clockMhz: 74, uniqId: $uniq, randomId: ["0", "0", "0", "0"]} end),
                sdram: null,
                flash: {busWidthBits: 16, makerCode: "001f", maker: "Atmel", deviceCode: "00c8", cfi: true,
                        part: "AT49BV322A", bootBlock: "top",
                        securityId: ["00000001", "00000002", "00000003", "00000004"]},
                ethernet: null},
     operations: [{name: "download", start: $start, durationSeconds: 1.5, outcome: "success",
                   journal: [" Загрузка программы", " tab\there"]},
                  {name: "config", start: $start, durationSeconds: ($seconds - 1.5), outcome: "success",
                   journal: []}],
     measurements: [{name: "config.sdram.totalMegabytes", value: 32, unit: "MB",
                     limit: {min: 32, max: 32}, result: "pass"},
                    {name: "config.flash.part", value: "AT49BV322A", unit: null,
                     limit: {allowed: ["AT49BV322A"]}, result: "pass"}],
     verdict: (if $verdict == "-" then null else
               {result: $verdict, product: "RZ", failing: $ARGS.positional, marginal: []} end),
     station: {program: "rzstation-cli", version: "2.6", name: $station}, operator: null, host: "bench"}
  ' --args "$@" >"$(dirname "$file")/.$(basename "$file")" &&
    mv "$(dirname "$file")/.$(basename "$file")" "$file"  # whole, as a station delivers it
}

write_report_units() {
  local id station start verdict seconds serial uniq failing
  while read -r id station start verdict seconds serial uniq failing; do
    case "$id" in "#"*) continue ;; esac
    # shellcheck disable=SC2086  # the failing names are words
    write_unit "$1/${start:0:4}${start:5:2}${start:8:2}T${start:11:2}${start:14:2}${start:17:2}-00000000-0000-4000-8000-0000000000$id.json" \
      "00000000-0000-4000-8000-0000000000$id" "$station" "$start" "$verdict" "$seconds" "$serial" "$uniq" $failing
  done <"$(dirname "${BASH_SOURCE[0]}")/report_units.txt"
}

bin=$1
. "$(dirname "${BASH_SOURCE[0]}")/../scripts/postgres_server.sh"
work=$(mktemp -d)
pg=$(mktemp -d)
trap 'pg_server_stop; rm -rf "$work" "$pg"' EXIT
pg_server_start "$pg" -c fsync=off || exit 1
sql() { "$PG_SERVER_BIN/psql" "$PG_CONNINFO" -XAtq "$@"; }
