# Sourced by run_wine_tests.sh after the command-line runs: the real
# rzstation.exe under Wine against the Linux rzboard-sim, from start to exit.
# rz_win32_window_driver.exe clicks "download" and then "exit" in its window;
# the program must end with status 0 and leave a results log (CP1251) that
# holds the download. Uses $wine_tmp, $wine_boards, $windows_build and $logs
# of the driver, and the board helpers of cli_end_to_end.sh.

# window_drive NAME BOARD_OPTIONS -- STATION_ARGUMENTS -- DRIVER_STEPS: runs
# rzstation.exe in $wine_tmp/NAME (which holds the test program) against a
# board started with BOARD_OPTIONS, while the window driver takes its steps;
# sets `driven` and `status` to the driver's and the station's exit statuses.
window_drive() {
  local name=$1 dir=$wine_tmp/$1 station board_options=() station_args=()
  shift
  while [ "$1" != -- ]; do board_options+=("$1"); shift; done
  shift
  while [ "$1" != -- ]; do station_args+=("$1"); shift; done
  shift
  cli_start_board "$wine_boards/COM1" "${board_options[@]}" || return 1
  wine64_run 180 "$windows_build/bin/rzstation.exe" --workdir "$(windows_path "$dir")" --com1 COM1 --com2 COM2 \
    "${station_args[@]}" >"$dir/out.txt" 2>&1 </dev/null &
  station=$!
  wine64_run 150 "$windows_build/bin/rz_win32_window_driver.exe" "$@" >"$dir/driver.txt" 2>&1 </dev/null
  driven=$?
  # A window that never took the clicks is not waited for to its limit.
  [ "$driven" -ne 0 ] && kill "$station" 2>/dev/null
  wait "$station"
  status=$?
  cli_stop_board
  cp "$dir/driver.txt" "$logs/$name-driver.txt"
}

run_window_end_to_end() {
  local dir=$wine_tmp/window status driven ok=1
  mkdir -p "$dir"
  cp "$wine_tmp/cli-program.bin" "$dir/tst7312v26.bin"
  window_drive window -- --local-address 127.0.0.1 -- download exit || return 1
  if [ "$driven" -ne 0 ]; then
    echo "window: the clicks were not all taken: $(tr -d '\r' <"$dir/driver.txt" | tail -3)"
    ok=
  fi
  if [ "$status" -ne 0 ]; then
    echo "window: rzstation.exe ended with $status"
    ok=
  fi
  if [ ! -f "$dir/vesk_rz.log" ]; then
    echo "window: no results log was written"
    ok=
  elif ! iconv -f CP1251 -t UTF-8 "$dir/vesk_rz.log" >"$logs/window-vesk_rz.txt" ||
    ! grep -q '^ == Загрузка программы в контроллер ==' "$logs/window-vesk_rz.txt" ||
    ! grep -q '^ Контроллер готов к работе\.' "$logs/window-vesk_rz.txt"; then
    echo "window: the results log does not show the download:"
    head -20 "$logs/window-vesk_rz.txt"
    ok=
  fi
  [ -n "$ok" ] && wine_passed=$((wine_passed + 1)) &&
    echo "window: rzstation.exe downloaded the program and exited through its buttons (log $(wc -l <"$dir/vesk_rz.log") lines)"
  [ -n "$ok" ]
}

# The production mode of rzstation.exe: one download press (and the serial
# number typed into its dialog) runs the profile's sequence to the verdict on
# the status line; the record holds the serial number and the verdict.
run_window_profile() {
  local dir=$wine_tmp/window-profile status driven ok=1
  mkdir -p "$dir"
  cp "$wine_tmp/cli-program.bin" "$dir/tst7312v26.bin"
  jq '.sequence = ["download", "config", "service-com"] | del(."$schema")' \
    "$here/../../profiles/rz-board.json" >"$dir/profile.json"
  # The forward folder is not there: the unit waits in the spool, and the
  # status line says so.
  window_drive window-profile --eth-voltage 0 -- --profile "$(windows_path "$dir")\\profile.json" \
    --record "$(windows_path "$dir")\\run.json" --history "$(windows_path "$dir")\\history" \
    --forward "$(windows_path "$dir")\\share" -- serial=SN-5 download "status=БРАК" \
    "status=Не отправлено в общий каталог: 1" exit || return 1
  if [ "$driven" -ne 0 ] || [ "$status" -ne 0 ]; then
    echo "window profile: driver $driven, rzstation.exe $status: $(tr -d '\r' <"$dir/driver.txt" | tail -3)"
    ok=
  fi
  if ! jq -e '.units[0].serial == "SN-5" and .units[0].verdict.result == "FAIL" and
              .units[0].verdict.failing == ["config.ethernet.supplyMillivolts"]' "$dir/run.json" >/dev/null 2>&1; then
    echo "window profile: the record lacks the serial number or the verdict: $(head -c 400 "$dir/run.json")"
    ok=
  fi
  if ! iconv -f CP1251 -t UTF-8 "$dir/vesk_rz.log" | grep -q '^ ==== RZ controller board: БРАК ===='; then
    echo "window profile: the results log lacks the verdict"
    ok=
  fi
  if [ "$(find "$dir/history/spool" -name '*.json' | wc -l)" != 1 ]; then
    echo "window profile: the unit does not wait in the spool"
    ok=
  fi
  [ -n "$ok" ] && wine_passed=$((wine_passed + 1)) &&
    echo "window profile: one download press ran the sequence to its verdict (БРАК, the supply named)"
  [ -n "$ok" ]
}
