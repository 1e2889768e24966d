# Sourced by run_wine_tests.sh: rzstation-cli.exe under Wine against the Linux
# rzboard-sim, each run beside the same run of the Linux rzstation-cli. Both
# must succeed, write the same results log byte for byte (but for the date
# and time in its first line) and print the same journal; transfers must
# read back what they wrote. Uses $wine_tmp, $wine_boards, $linux_build,
# $windows_build and $logs of the driver.

cli_board_pid=
cli_start_board() {  # cli_start_board LINK [OPTIONS...]
  local link=$1
  shift
  : >"$link.out"
  "$linux_build/bin/rzboard-sim" --link "$link" "$@" >>"$link.out" 2>&1 &
  cli_board_pid=$!
  for _ in $(seq 500); do
    [ "$(wc -l <"$link.out")" -gt 0 ] && return 0
    kill -0 "$cli_board_pid" 2>/dev/null || break
    sleep 0.02
  done
  echo "cli: the board at $link did not start: $(cat "$link.out")" >&2
  return 1
}
cli_stop_board() {
  [ -n "$cli_board_pid" ] || return 0
  kill -TERM "$cli_board_pid" 2>/dev/null
  timeout 10 tail --pid="$cli_board_pid" -f /dev/null
  wait "$cli_board_pid" 2>/dev/null
  cli_board_pid=
}

# cli_run SYSTEM NAME BOARD_OPTIONS -- CLI_ARGUMENTS: one run in
# $wine_tmp/NAME-SYSTEM, where SYSTEM is linux or windows; FILE_DIR in the
# arguments stands for the run's folder (a Windows path for Windows).
cli_run() {
  local system=$1 name=$2 dir board_options=() args=() arg status started
  shift 2
  while [ "$1" != -- ]; do board_options+=("$1"); shift; done
  shift
  # The runs keep no history unless they name one: each system's own would
  # show a different past of the same board (and the Linux one lives in this
  # user's data folder).
  [[ " $* " == *" --history "* ]] || args+=(--no-history)
  dir=$wine_tmp/$name-$system
  mkdir -p "$dir"
  cp "$wine_tmp/cli-program.bin" "$dir/tst7312v26.bin"
  [ -f "$wine_tmp/cli-image.bin" ] && ln -sf "$wine_tmp/cli-image.bin" "$dir/image.bin"
  if [ "$system" = windows ]; then
    for arg in "$@"; do args+=("${arg//FILE_DIR\//$(windows_path "$dir")\\}"); done
    cli_start_board "$wine_boards/COM1" "${board_options[@]}" || return 1
    started=$EPOCHREALTIME
    wine64_run 300 "$windows_build/bin/rzstation-cli.exe" --workdir "$(windows_path "$dir")" \
      --com1 COM1 --com2 COM2 "${args[@]}" >"$dir/out.txt" 2>"$dir/err.txt" </dev/null
  else
    for arg in "$@"; do args+=("${arg//FILE_DIR/$dir}"); done
    cli_start_board "$dir/COM1" "${board_options[@]}" || return 1
    started=$EPOCHREALTIME
    timeout -k 5 300 "$linux_build/bin/rzstation-cli" --workdir "$dir" --com1 "$dir/COM1" --com2 "$dir/COM2" \
      "${args[@]}" >"$dir/out.txt" 2>"$dir/err.txt" </dev/null
  fi
  status=$?
  # The program's own wall time, for the benchmark.
  awk -v end="$EPOCHREALTIME" -v start="$started" 'BEGIN { print end - start }' >"$dir/seconds"
  cli_stop_board
  echo "$status" >"$dir/status"
}

# The results log with the date and time of its first line blanked, in UTF-8.
cli_log_without_date() {
  LC_ALL=C sed '1s/ [0-9][0-9]\.[0-9][0-9]\.[0-9]\{4\} [0-9][0-9]:[0-9][0-9]\r$/ DD.MM.YYYY HH:MM\r/' "$1/vesk_rz.log" |
    iconv -f CP1251 -t UTF-8 | cli_without_checks
}
# The journal with the console's CR LF turned into LF.
cli_journal() { tr -d '\r' <"$1/out.txt" | cli_without_checks; }

# Over UDP a pass that re-reads pieces in doubt prints one more check line;
# whether a reply came late enough to put a piece in doubt depends on how busy
# the host was, so with $cli_checks_vary set the check lines are left out of
# the comparison (the read-back still has to equal the image).
cli_without_checks() {
  if [ -n "${cli_checks_vary:-}" ]; then grep -v '^ Проверка Flash: ' || true; else cat; fi
}

# cli_compare NAME [READ_BACK]: both runs of NAME passed and agree.
cli_compare() {
  local name=$1 back=${2:-} linux=$wine_tmp/$1-linux windows=$wine_tmp/$1-windows ok=1 system
  for system in linux windows; do
    local dir=$wine_tmp/$name-$system
    if [ "$(cat "$dir/status" 2>/dev/null)" != 0 ]; then
      echo "cli: $name on $system ended with $(cat "$dir/status" 2>/dev/null): $(head -c 600 "$dir/err.txt")"
      ok=
    fi
    if [ -n "$back" ] && ! cmp -s "$wine_tmp/cli-image.bin" "$dir/$back"; then
      echo "cli: $name on $system: $back differs from the image written"
      ok=
    fi
  done
  if ! LC_ALL=C grep -q $'^== .* [0-9][0-9]\\.[0-9][0-9]\\.[0-9]\\{4\\} [0-9][0-9]:[0-9][0-9]\r$' <(head -1 "$windows/vesk_rz.log"); then
    echo "cli: $name: the Windows log's first line has no date and time: $(head -1 "$windows/vesk_rz.log" | od -c | head -3)"
    ok=
  fi
  if ! cmp -s <(cli_log_without_date "$linux") <(cli_log_without_date "$windows"); then
    echo "cli: $name: the results logs differ:"
    diff <(cli_log_without_date "$linux") <(cli_log_without_date "$windows") | head -20
    ok=
  fi
  if ! cmp -s <(cli_journal "$linux") <(cli_journal "$windows"); then
    echo "cli: $name: the journals differ:"
    diff <(cli_journal "$linux") <(cli_journal "$windows") | head -20
    ok=
  fi
  for system in linux windows; do cp "$wine_tmp/$name-$system/out.txt" "$logs/cli-$name-$system.txt"; done
  [ -n "$ok" ] && wine_passed=$((wine_passed + 1)) && echo "cli: $name: Windows and Linux agree ($(wc -l <"$linux/out.txt") journal lines, log $(wc -c <"$linux/vesk_rz.log") bytes)"
  [ -n "$ok" ]
}

# cli_matches_schema RECORD: the record matches the run record's schema.
cli_matches_schema() {
  /usr/bin/python3 - "$here/../../docs/schema/run-record.schema.json" "$1" <<'PYTHON'
import json, sys
from jsonschema import Draft202012Validator
errors = list(Draft202012Validator(json.load(open(sys.argv[1]))).iter_errors(json.load(open(sys.argv[2]))))
for error in errors[:5]: print("cli: record: " + "/".join(map(str, error.absolute_path)) + ": " + error.message[:200])
sys.exit(1 if errors else 0)
PYTHON
}

# cli_record_check NAME: the Windows run's record matches the schema, holds
# one unit with the serial number given, and its write's read-back found the
# Flash equal to the image.
cli_record_check() {
  local record=$wine_tmp/$1-windows/run.json
  if ! cli_matches_schema "$record"; then
    echo "cli: $1: the Windows record does not match its schema"
    return 1
  fi
  if ! jq -e '(.units | length) == 1 and .units[0].serial == "SN-1" and .complete and
              ([.units[0].operations[] | select(.name == "write") | .check.matches and
                .check.flashSha256 == .transfer.sha256] == [true])' "$record" >/dev/null; then
    echo "cli: $1: the Windows record lacks the unit or the write's read-back: $(head -c 600 "$record")"
    return 1
  fi
  wine_passed=$((wine_passed + 1))
  echo "cli: $1: the Windows record matches its schema, one unit, the write read back"
}

# A production profile on both systems against a board with the wrong
# Ethernet supply: both fail the board naming the measurement, with the same
# journal (verdict lines included), and the Windows record holds the verdict.
cli_profile_check() {
  local dir system ok=1
  jq '.sequence = ["download", "config", "service-com"] | del(."$schema")' \
    "$here/../../profiles/rz-board.json" >"$wine_tmp/profile.json"
  cli_both profile --eth-voltage 0 -- --profile FILE_DIR/../profile.json --record FILE_DIR/run.json --serial SN-9
  for system in linux windows; do
    dir=$wine_tmp/profile-$system
    if [ "$(cat "$dir/status")" != 1 ] ||
      ! grep -q '^verdict board=1 serial=SN-9 result=FAIL failing=config.ethernet.supplyMillivolts' "$dir/out.txt"; then
      echo "cli: profile on $system: status $(cat "$dir/status"): $(tail -5 "$dir/out.txt") $(head -c 300 "$dir/err.txt")"
      ok=
    fi
  done
  if ! cmp -s <(cli_journal "$wine_tmp/profile-linux") <(cli_journal "$wine_tmp/profile-windows"); then
    echo "cli: profile: the journals differ:"
    diff <(cli_journal "$wine_tmp/profile-linux") <(cli_journal "$wine_tmp/profile-windows") | head -20
    ok=
  fi
  if ! cli_matches_schema "$wine_tmp/profile-windows/run.json" ||
    ! jq -e '.units[0].verdict.result == "FAIL" and .units[0].serial == "SN-9"' \
      "$wine_tmp/profile-windows/run.json" >/dev/null; then
    echo "cli: profile: the Windows record lacks the verdict"
    ok=
  fi
  [ -n "$ok" ] && wine_passed=$((wine_passed + 1)) && echo "cli: profile: both systems fail the board on its supply"
  [ -n "$ok" ]
}

# The silence limit on Windows: against a board that never answers, the
# download's wait and the readout's four each end after one limit.
cli_silence_check() {
  local dir=$wine_tmp/silence-windows count seconds
  cli_run windows silence --silent -- --silence-limit 1 --keep-going download config
  count=$(grep -c 'плата молчит 1 с: ожидание прервано' "$dir/err.txt")
  seconds=$(cat "$dir/seconds")
  if [ "$(cat "$dir/status")" = 1 ] && [ "$count" = 5 ] && awk -v s="$seconds" 'BEGIN { exit !(s >= 5 && s < 12) }'; then
    wine_passed=$((wine_passed + 1))
    echo "cli: silence: five waits of 1 s ended in $seconds s"
    return 0
  fi
  echo "cli: silence: status $(cat "$dir/status"), $count silence lines, $seconds s: $(head -c 600 "$dir/err.txt")"
  return 1
}

# The history on Windows: a board fails, its unit waits for a forward folder
# that is not there; the board passes on a retest once the folder is back,
# and both units are delivered. The history command lists them, the report
# counts one retest that passed, the same as the Linux report over the same
# folder, and the HTML report is written.
cli_history_check() {
  local history=$wine_tmp/history-shared share=$wine_tmp/history-share ok=1 dir windows linux
  rm -rf "$history" "$share"
  cli_run windows history-1 --eth-voltage 0 -- --profile FILE_DIR/../profile.json \
    --history "$(windows_path "$history")" --forward "$(windows_path "$share")" --serial SN-7
  dir=$wine_tmp/history-1-windows
  if [ "$(cat "$dir/status")" != 1 ] || ! grep -q 'wait for the forward folder' "$dir/err.txt" ||
    [ "$(find "$history/spool" -name '*.json' | wc -l)" != 1 ]; then
    echo "cli: history: the failed unit does not wait in the spool: $(head -c 400 "$dir/err.txt")"
    ok=
  fi
  mkdir -p "$share"
  cli_run windows history-2 -- --profile FILE_DIR/../profile.json \
    --history "$(windows_path "$history")" --forward "$(windows_path "$share")" --serial SN-7
  dir=$wine_tmp/history-2-windows
  if [ "$(cat "$dir/status")" != 0 ] || [ "$(find "$share" -name '*.json' | wc -l)" != 2 ] ||
    [ "$(find "$history/spool" -name '*.json' | wc -l)" != 0 ]; then
    echo "cli: history: the retest's status $(cat "$dir/status"), $(ls "$share" | wc -l) files delivered: $(head -c 400 "$dir/err.txt")"
    ok=
  fi
  if [ "$(wine64_run 60 "$windows_build/bin/rzstation-cli.exe" history --history "$(windows_path "$history")" \
          --serial SN-7 2>&1 | tr -d '\r' | grep -c 'SN-7')" != 2 ]; then
    echo "cli: history: rzstation-cli.exe history does not list both units"
    ok=
  fi
  windows=$(wine64_run 60 "$windows_build/bin/rzstation-cli.exe" report --history "$(windows_path "$history")" \
    --csv days --html "$(windows_path "$history")\\report.html" 2>&1 | tr -d '\r')
  linux=$("$linux_build/bin/rzstation-cli" report --history "$history" --csv days)
  if [ "$windows" != "$linux" ] || ! echo "$windows" | grep -q ',2,1,0,0.0,1,1,' || ! grep -q '<svg' "$history/report.html"; then
    echo "cli: history: the reports differ or miscount: Windows [$windows] Linux [$linux]"
    ok=
  fi
  [ -n "$ok" ] && wine_passed=$((wine_passed + 1)) &&
    echo "cli: history: a unit waited for the share, both were delivered, the reports agree"
  [ -n "$ok" ]
}

# cli_both NAME BOARD_OPTIONS -- ARGUMENTS: the Linux run, then the Windows run.
cli_both() {
  local name=$1 started
  shift
  started=$(date +%s)
  cli_run linux "$name" "$@"
  cli_run windows "$name" "$@"
  echo "cli: $name ran in $(($(date +%s) - started)) s"
}

# A run whose record would be its image is refused before anything runs:
# exit status 2, both uses named, the image unchanged.
cli_collision_refused() {
  local dir=$wine_tmp/collision status
  mkdir -p "$dir"
  cp "$wine_tmp/cli-program.bin" "$dir/tst7312v26.bin"
  head -c 4096 "$wine_tmp/cli-image.bin" >"$dir/image.bin"
  wine64_run 60 "$windows_build/bin/rzstation-cli.exe" --workdir "$(windows_path "$dir")" --com1 COM1 --com2 COM2 \
    --record "$(windows_path "$dir")\\IMAGE.BIN" --flash-service "write=$(windows_path "$dir")\\image.bin" \
    >"$dir/out.txt" 2>"$dir/err.txt" </dev/null
  status=$?
  if [ "$status" -ne 2 ] || ! grep -q -- '--record' "$dir/err.txt" || ! grep -q 'write=' "$dir/err.txt" ||
    ! cmp -s "$dir/image.bin" <(head -c 4096 "$wine_tmp/cli-image.bin"); then
    echo "cli: a record named as the image (in another case) was not refused: exit $status, $(head -c 300 "$dir/err.txt")"
    return 1
  fi
  wine_passed=$((wine_passed + 1))
  echo "cli: a record named as the image is refused before anything runs"
}

run_cli_end_to_end() {
  local failures=0
  head -c 24576 /dev/urandom >"$wine_tmp/cli-program.bin"
  head -c 8388608 /dev/urandom >"$wine_tmp/cli-image.bin"
  cli_collision_refused || failures=$((failures + 1))
  # Download, configuration readout and the board tests over COM (the RTC test
  # reports the seconds it measured, which differ from run to run; the
  # operation tests cover it under Wine).
  cli_both board-tests -- download config service-com ethernet-test cpu=74 sdram
  cli_compare board-tests || failures=$((failures + 1))
  # 8 MB into the Flash, read back by the write itself, and back over COM,
  # with a run record that must match its schema.
  cli_both flash-com -- --flash-service --verify --record FILE_DIR/run.json --serial SN-1 download \
    write=FILE_DIR/image.bin read=FILE_DIR/back.bin:8388608
  cli_compare flash-com back.bin || failures=$((failures + 1))
  cli_record_check flash-com || failures=$((failures + 1))
  # The same over UDP, on loopback addresses only.
  cli_both flash-udp -- --local-address 127.0.0.1 --flash-service download ethernet=on:127.0.0.2 \
    write=FILE_DIR/image.bin read=FILE_DIR/back.bin:8388608 ethernet=off
  cli_checks_vary=1 cli_compare flash-udp back.bin || failures=$((failures + 1))
  cli_silence_check || failures=$((failures + 1))
  cli_profile_check || failures=$((failures + 1))
  cli_history_check || failures=$((failures + 1))
  [ "$failures" -eq 0 ]
}
