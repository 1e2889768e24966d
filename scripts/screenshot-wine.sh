#!/usr/bin/env bash
# A picture of rzstation.exe under Wine on a virtual X display: the window
# after a download and a configuration readout from a simulated board,
# written to docs/screenshot-wine.png.
#   scripts/screenshot-wine.sh [WINDOWS_BUILD [LINUX_BUILD]]
# WINDOWS_BUILD holds bin/rzstation.exe (scripts/build.sh windows, default
# build-windows), LINUX_BUILD bin/rzboard-sim (scripts/build.sh, default build).
# Needs Xvfb, xdotool and ImageMagick (scripts/install-deps.sh --screenshots).
# Wine runs in the test driver's prefix, so COM1..COM4 lead only into its
# temporary folder before the program starts.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
here=$root/tests/wine
. "$here/wine_env.sh"
wine_isolate "$@"

windows_build=$(cd "${1:-$root/build-windows}" && pwd)
linux_build=$(cd "${2:-$root/build}" && pwd)
out=$root/docs/screenshot-wine.png
for tool in Xvfb xdotool /usr/bin/import; do
  command -v "$tool" >/dev/null || { echo "screenshot: $tool is missing (scripts/install-deps.sh --screenshots)" >&2; exit 1; }
done
[ -f "$windows_build/bin/rzstation.exe" ] || { echo "screenshot: no $windows_build/bin/rzstation.exe" >&2; exit 1; }

# A display number nobody uses.
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=:$display
cleanup() {
  wine_stop
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.05; done

RZ_WINE_GRAPHICS=x11 wine_start "$linux_build/bin/rzboard-sim" || { echo "screenshot: Wine did not start" >&2; exit 1; }

# The board on COM1, through the launcher (as the tests ask for it).
ask_launcher() {  # ask_launcher VERB PORT
  rm -f "$wine_boards/reply"
  printf '%s\n%s\n' "$1" "$2" >"$wine_boards/request.tmp"
  mv "$wine_boards/request.tmp" "$wine_boards/request"
  for _ in $(seq 200); do
    [ -e "$wine_boards/reply" ] && break
    sleep 0.05
  done
  grep -q '^ok' "$wine_boards/reply" 2>/dev/null
}
ask_launcher start COM1 || { echo "screenshot: the simulated board did not start" >&2; exit 1; }

# The working directory with a test program.
work=$wine_tmp/work
mkdir -p "$work"
head -c 2048 /dev/zero | tr '\0' '\125' >"$work/tst7312v26.bin"
cp "$windows_build/bin/rzstation.exe" "$work/"
(cd "$work" && timeout -k 5 120 "$WINE64" explorer /desktop=rz,1024x768 rzstation.exe \
  --workdir "$(windows_path "$work")" >>"$wine_log" 2>&1) &

# Wait for the desktop, then press ENTER on the download button, and after it
# TAB and ENTER for the configuration readout.
desktop=
for _ in $(seq 200); do
  desktop=$(xdotool search --name '^rz - ' 2>/dev/null | head -1)
  [ -n "$desktop" ] && break
  sleep 0.1
done
[ -n "$desktop" ] || { echo "screenshot: no Wine desktop appeared (log: $wine_log)" >&2; exit 1; }
sleep 3
press() {
  xdotool windowfocus --sync "$desktop" 2>/dev/null
  xdotool key --delay 100 "$@"
}
press Return
sleep 4
press Tab Return
sleep 4

raw=$wine_tmp/desktop.png
/usr/bin/import -window root "$raw" || { echo "screenshot: import failed" >&2; exit 1; }
# Only the window: the desktop's colour (its last pixel) is cut away.
background=$(/usr/bin/convert "$raw" -format '%[pixel:p{1023,767}]' info:)
/usr/bin/convert "$raw" -bordercolor "$background" -border 1 -trim +repage "$out" ||
  { echo "screenshot: cropping failed" >&2; exit 1; }
echo "screenshot: $out"
