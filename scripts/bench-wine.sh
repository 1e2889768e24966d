#!/usr/bin/env bash
# rzstation-cli on Linux and rzstation-cli.exe under Wine, side by side in one
# run, against the simulated board (unpaced): the program's start, the
# download, and 8 MB written into the Flash and read back over COM and over
# UDP (loopback only). Prints seconds and rates; a figure, never a verdict.
#   scripts/bench-wine.sh [WINDOWS_BUILD [LINUX_BUILD]]   (build-windows, build)
set -uo pipefail
cd "$(dirname "$0")/.."
here=$PWD/tests/wine
. "$here/wine_env.sh"
wine_isolate "$@"

windows_build=$(cd "${1:-build-windows}" && pwd)
linux_build=$(cd "${2:-build}" && pwd)
trap 'wine_stop' EXIT
wine_start "$linux_build/bin/rzboard-sim" >/dev/null || exit 1
. "$here/cli_end_to_end.sh"

head -c 24576 /dev/urandom >"$wine_tmp/cli-program.bin"
head -c 8388608 /dev/urandom >"$wine_tmp/cli-image.bin"

# seconds SYSTEM NAME ARGUMENTS...: the program's wall time, the least of
# three runs (see cli_run): the machine's other work only ever adds.
seconds() {
  local system=$1 name=$2 best= s
  shift 2
  for _ in 1 2 3; do
    cli_run "$system" "$name" -- "$@"
    if [ "$(cat "$wine_tmp/$name-$system/status")" != 0 ]; then
      echo "bench: $name on $system failed: $(head -c 300 "$wine_tmp/$name-$system/err.txt")" >&2
    fi
    s=$(cat "$wine_tmp/$name-$system/seconds")
    if [ -z "$best" ] || awk -v s="$s" -v b="$best" 'BEGIN { exit !(s < b) }'; then best=$s; fi
  done
  echo "$best"
}

udp=(--local-address 127.0.0.1 --flash-service)
declare -A t
for system in linux windows; do
  t[$system,help]=$(seconds "$system" help --help)
  t[$system,download]=$(seconds "$system" download download)
  t[$system,com-write]=$(seconds "$system" com-write --flash-service download write=FILE_DIR/image.bin)
  t[$system,com-read]=$(seconds "$system" com-read --flash-service download read=FILE_DIR/back.bin:8388608)
  t[$system,udp-on]=$(seconds "$system" udp-on "${udp[@]}" download ethernet=on:127.0.0.2)
  t[$system,udp-write]=$(seconds "$system" udp-write "${udp[@]}" download ethernet=on:127.0.0.2 write=FILE_DIR/image.bin)
  t[$system,udp-read]=$(seconds "$system" udp-read "${udp[@]}" download ethernet=on:127.0.0.2 read=FILE_DIR/back.bin:8388608)
done

# A phase's own time: its run less the run that stops just before it.
phase() { awk -v a="${t[$1,$2]}" -v b="${t[$1,$3]}" 'BEGIN { print a - b }'; }
row() {  # row LABEL PHASE BEFORE BYTES
  local label=$1 system line
  line=$(printf '%-34s' "$label")
  for system in linux windows; do
    local s
    if [ -n "$3" ]; then s=$(phase "$system" "$2" "$3"); else s=${t[$system,$2]}; fi
    if [ -n "$4" ]; then
      line+=$(printf '%8.2f s %7.0f KiB/s' "$s" "$(awk -v n="$4" -v s="$s" 'BEGIN { print n / 1024 / s }')")
    else
      line+=$(printf '%8.2f s              ' "$s")
    fi
  done
  echo "$line"
}
echo "                                  Linux                  Wine"
row "program start and end (--help)" help "" ""
row "download (24 KiB test program)" download help ""
row "8 MB into the Flash over COM" com-write download 8388608
row "8 MB read from the Flash over COM" com-read download 8388608
row "8 MB into the Flash over UDP" udp-write udp-on 8388608
row "8 MB read from the Flash over UDP" udp-read udp-on 8388608
