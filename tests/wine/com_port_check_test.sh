#!/usr/bin/env bash
# The Wine driver's COM port check, against a made-up prefix and registry (no
# Wine runs): it passes only when COM1..COM4 lead into the temporary folder and
# every other COM port leads there or to one of its masks.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine_env.sh"

wine_tmp=$(mktemp -d)
trap 'rm -rf "$wine_tmp"' EXIT
wine_boards=$wine_tmp/boards
wine_log=$wine_tmp/wine.log
export WINEPREFIX=$wine_tmp/prefix
mkdir -p "$wine_boards" "$WINEPREFIX/dosdevices" "$wine_tmp/masked"
# "reg query" answers from $wine_tmp/registry, as Wine prints it (CR LF).
WINE64=$wine_tmp/fake-wine64
printf '#!/bin/sh\nsed "s/$/\\r/" "%s/registry"\n' "$wine_tmp" >"$WINE64"
chmod +x "$WINE64"

failures=0
expect() {  # expect pass|refuse WHAT
  local outcome=refuse
  verify_com_ports >/dev/null 2>&1 && outcome=pass
  if [ "$outcome" != "$1" ]; then
    echo "FAILED: $2: expected $1, got $outcome"
    failures=$((failures + 1))
  fi
}
map() {  # map COMn TARGET: both the registry and the dosdevices link
  ln -sfn "$2" "$WINEPREFIX/dosdevices/${1,,}"
  sed -i "/^    $1 /d" "$wine_tmp/registry"
  echo "    $1    REG_SZ    $2" >>"$wine_tmp/registry"
}

printf '\nHKEY_LOCAL_MACHINE\\Software\\Wine\\Ports\n' >"$wine_tmp/registry"
for n in 1 2 3 4; do map COM$n "$wine_boards/COM$n"; done
expect pass "COM1..COM4 in the folder"

ln -sfn /dev/ttyS0 "$WINEPREFIX/dosdevices/com5"
expect refuse "COM5 on a real device"
: >"$wine_tmp/masked/ttyS0"
expect refuse "COM5 on a real device with a mask file that is not mounted over it"
rm "$WINEPREFIX/dosdevices/com5"

map COM2 /dev/ttyS1
expect refuse "COM2 on a real device"
map COM2 "$wine_boards/COM2"
ln -sfn /dev/ttyUSB0 "$WINEPREFIX/dosdevices/com3"
expect refuse "COM3's link differs from the registry"
ln -sfn "$wine_boards/COM3" "$WINEPREFIX/dosdevices/com3"
sed -i '/COM4/d' "$wine_tmp/registry"
expect refuse "COM4 missing from the registry"

[ "$failures" -eq 0 ] && echo "COM port check: all cases as expected"
exit "$failures"
