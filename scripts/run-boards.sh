#!/usr/bin/env bash
# Tests several boards at once: one rzstation-cli process per board, all in
# parallel, each with its own port, working directory, run record and JUnit
# report; then prints a summary table of the records.
#
#   scripts/run-boards.sh [OPTIONS] [OPERATION...]     (default: download config)
#     -n N          number of simulated boards (default 3), each an rzboard-sim
#                   on a pseudo-terminal of its own
#     -p PORTS      real boards instead: comma-separated devices, one station
#                   per device (e.g. /dev/ttyUSB0,/dev/ttyUSB1)
#     -d DIR        directory of the runs (default boards-run); board K works
#                   in DIR/boardK: record.json, junit.xml, station.out, vesk_rz.log
#     -t FILE       the test program tst7312v26.bin (default: a stand-in,
#                   which only the simulated boards take)
#     -b BUILD_DIR  where the programs are (default build/bin, else the PATH)
#     -P PROFILE    production: each station runs the profile's sequence
#                   (rzstation-cli --profile; no operations then) and the
#                   table shows each board's verdict and what decided it
#     -c FILE       copied into each board's directory (a firmware image the
#                   profile's write= names: its files are relative to there)
#     -f K=OPTIONS  simulated board K gets these rzboard-sim options, e.g.
#                   -f 2="--eth-voltage 0" (a wrong build); may be repeated
#     -o OFFSET     number the simulated boards from OFFSET+1 (each number is
#                   one board's identity: -o 1 -n 1 tests board 2 again)
#     -H DIR        every station keeps its history in DIR (default: each in
#                   the user's data folder)
#     -F DIR        every station forwards its finished units to DIR
#     -S NAME       the stations' name in the records (default: the computer's)
# Exit status: 0 when every station succeeded (with -P: every board PASS),
# 1 otherwise, 2 bad usage.
set -euo pipefail
cd "$(dirname "$0")/.."

count=3
ports=""
runs=boards-run
program=""
bin=""
profile=""
declare -A faults=()
copies=()
offset=0
station_options=()
while getopts "n:p:d:t:b:P:f:c:o:H:F:S:" option; do
  case "$option" in
    n) count="$OPTARG" ;;
    p) ports="$OPTARG" ;;
    d) runs="$OPTARG" ;;
    t) program="$OPTARG" ;;
    b) bin="$OPTARG" ;;
    P) profile="$(cd "$(dirname "$OPTARG")" && pwd)/$(basename "$OPTARG")" ;;
    f) faults["${OPTARG%%=*}"]="${OPTARG#*=}" ;;
    c) copies+=("$OPTARG") ;;
    o) offset="$OPTARG" ;;
    H) station_options+=(--history "$OPTARG") ;;
    F) station_options+=(--forward "$OPTARG") ;;
    S) station_options+=(--station "$OPTARG") ;;
    *) sed -n '2,32p' "$0" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
operations=("$@")
if [ -n "$profile" ]; then
  [ ${#operations[@]} -eq 0 ] || { echo "$0: -P runs the profile's sequence: give no operations" >&2; exit 2; }
  [ -r "$profile" ] || { echo "$0: cannot read the profile $profile" >&2; exit 2; }
  operations=(--profile "$profile")
fi
[ ${#operations[@]} -eq 0 ] && operations=(download config)

if [ -z "$bin" ]; then
  if [ -x build/bin/rzstation-cli ]; then bin=build/bin; else bin="$(dirname "$(command -v rzstation-cli)")"; fi
fi
cli="$bin/rzstation-cli"
sim="$bin/rzboard-sim"
command -v jq >/dev/null || { echo "$0: needs jq (scripts/install-deps.sh)" >&2; exit 2; }

devices=()
if [ -n "$ports" ]; then
  IFS=, read -r -a devices <<<"$ports"
  count=${#devices[@]}
fi
[[ "$count" =~ ^[1-9][0-9]*$ ]] || { echo "$0: -n takes a positive number" >&2; exit 2; }
[[ "$offset" =~ ^[0-9]+$ ]] || { echo "$0: -o takes a number" >&2; exit 2; }

mkdir -p "$runs"
runs="$(cd "$runs" && pwd)"
boards=()
stations=()
cleanup() {
  for pid in "${stations[@]}" "${boards[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${stations[@]}" "${boards[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

for k in $(seq $((offset + 1)) $((offset + count))); do
  dir="$runs/board$k"
  mkdir -p "$dir"
  rm -f "$dir/record.json" "$dir/junit.xml" "$dir/vesk_rz.log"
  for file in "${copies[@]}"; do cp "$file" "$dir/"; done
  if [ -n "$program" ]; then
    cp "$program" "$dir/tst7312v26.bin"
  elif [ ! -f "$dir/tst7312v26.bin" ]; then
    head -c 20480 /dev/urandom > "$dir/tst7312v26.bin"
  fi
  if [ -z "$ports" ]; then
    # Each simulated board has an identity of its own.
    read -r -a extra <<<"${faults[$k]:-}"
    "$sim" --link "$dir/COM1" --cpu-id "$((0x0c731200 + k)),$k,$((k * 2)),$((k * 3)),$((k * 4))" \
      "${extra[@]}" > "$dir/board.out" 2>&1 &
    boards+=($!)
    devices+=("$dir/COM1")
  fi
done
# The simulators print their line once their terminal is up.
for k in $(seq "$count"); do
  [ -n "$ports" ] && break
  for _ in $(seq 200); do
    [ -s "$runs/board$((k + offset))/board.out" ] && break
    sleep 0.05
  done
done

for k in $(seq "$count"); do
  dir="$runs/board$((k + offset))"
  "$cli" --workdir "$dir" --com1 "${devices[$((k - 1))]}" --com2 "$dir/COM2" --record "$dir/record.json" \
    --junit "$dir/junit.xml" "${station_options[@]}" "${operations[@]}" > "$dir/station.out" 2>&1 &
  stations+=($!)
done
status=0
statuses=()
for k in $(seq "$count"); do
  code=0
  wait "${stations[$((k - 1))]}" || code=$?
  statuses+=("$code")
  [ "$code" -eq 0 ] || status=1
done
stations=()

printf '%-8s %-22s %-10s %-5s %9s %-10s  %s\n' BOARD PORT UNIQ_ID EXIT SECONDS VERDICT OPERATIONS
for k in $(seq "$count"); do
  record="$runs/board$((k + offset))/record.json"
  if [ -s "$record" ]; then
    jq -r --arg board "board$((k + offset))" --arg exit "${statuses[$((k - 1))]}" '
      [.units[].operations[]] as $operations |
      [$board, .ports.COM1, ([.units[].identity.processor.uniqId // empty] | last // "-"), $exit,
       ([$operations[].durationSeconds] | add // 0 | . * 1000 | round / 1000 | tostring),
       ([.units[].verdict.result // empty] | last // "-"),
       ([$operations[] | .name + ":" + .outcome] | join(" ")) +
       ([.units[].verdict // empty | select(.failing != []) | " [" + (.failing | join(", ")) + "]"] | join(""))] |
      @tsv' "$record" |
      while IFS=$'\t' read -r board port uniq code seconds verdict outcomes; do
        printf '%-8s %-22s %-10s %-5s %9s %-10s  %s\n' "$board" "$(readlink -f "$port" || echo "$port")" "$uniq" \
          "$code" "$seconds" "$verdict" "$outcomes"
      done
  else
    printf '%-8s %-22s %-10s %-5s %9s %-10s  %s\n' "board$((k + offset))" "${devices[$((k - 1))]}" - \
      "${statuses[$((k - 1))]}" - - "no record: $(head -c 200 "$runs/board$((k + offset))/station.out")"
  fi
done
echo "records: $runs/board*/record.json, JUnit reports: $runs/board*/junit.xml"
exit $status
