#!/usr/bin/env bash
# Installs what is missing, builds, and tests the simulated board as a
# production line does, with the profile profiles/rz-board.json. With a display
# the station's window opens in production mode (press "Загрузка программы":
# the serial number is asked, the tests and the firmware run, the verdict
# shows); without one the command-line station runs the same sequence, prints
# the board's verdict, shows the results log and the production report of the
# boards this machine has tested.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh

demo=demo-run
mkdir -p "$demo"
# The real test program is the board maker's; the simulated board takes any
# program, so a stand-in of the same size does.
[ -f "$demo/tst7312v26.bin" ] || head -c 20480 /dev/urandom > "$demo/tst7312v26.bin"
# The firmware the production profile writes: a signed image ("VESK", the
# bytes, one byte that makes the XOR of the whole file 0).
[ -f "$demo/firmware.rzi" ] || python3 -c '
import os, sys
image = b"VESK" + os.urandom(262144)
check = 0
for byte in image: check ^= byte
sys.stdout.buffer.write(image + bytes([check]))' > "$demo/firmware.rzi"

build/bin/rzboard-sim --link "$demo/COM1" > "$demo/board.out" 2>&1 &
board=$!
trap 'kill $board 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  grep -q "board on" "$demo/board.out" 2>/dev/null && break
  sleep 0.05
done
cat "$demo/board.out"

if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ]; then
  # Production mode: press "Загрузка программы"; the rest runs by itself.
  build/bin/rzstation --workdir "$demo" --com1 "$demo/COM1" --profile profiles/rz-board.json
else
  status=0
  # One board through the production profile: download, readout, tests,
  # firmware, and its verdict.
  build/bin/rzstation-cli --workdir "$demo" --com1 "$demo/COM1" --profile profiles/rz-board.json \
    --serial DEMO-1 --record "$demo/record.json" || status=$?
  echo
  echo "Results log $demo/vesk_rz.log (CP1251, shown in UTF-8):"
  iconv -f CP1251 -t UTF-8 "$demo/vesk_rz.log"
  # Every board tested here is kept in the history; the report reads it.
  echo
  build/bin/rzstation-cli report --html "$demo/report.html"
  echo "The same report as a page: $demo/report.html"
  exit $status
fi
