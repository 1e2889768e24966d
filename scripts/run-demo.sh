#!/usr/bin/env bash
# Installs what is missing, builds, and runs the station against the simulated
# board. With a display the station's window opens (press "Загрузка программы",
# then "Конфигурация"); without one the command-line station downloads the test
# program, reads the board's configuration and shows the results log.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh

demo=demo-run
mkdir -p "$demo"
# The real test program is the board maker's; the simulated board takes any
# program, so a stand-in of the same size does.
[ -f "$demo/tst7312v26.bin" ] || head -c 20480 /dev/urandom > "$demo/tst7312v26.bin"

build/bin/rzboard-sim --link "$demo/COM1" > "$demo/board.out" 2>&1 &
board=$!
trap 'kill $board 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  grep -q "board on" "$demo/board.out" 2>/dev/null && break
  sleep 0.05
done
cat "$demo/board.out"

if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ]; then
  build/bin/rzstation --workdir "$demo" --com1 "$demo/COM1"
else
  status=0
  build/bin/rzstation-cli --workdir "$demo" --com1 "$demo/COM1" download config || status=$?
  echo
  echo "Results log $demo/vesk_rz.log (CP1251, shown in UTF-8):"
  iconv -f CP1251 -t UTF-8 "$demo/vesk_rz.log"
  exit $status
fi
