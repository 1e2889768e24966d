# Sourced by the Wine test driver and the Wine benchmarks: a fresh Wine prefix
# in a temporary folder whose COM ports lead only into that folder, one
# persistent Wine server, and the board launcher. Every Wine call is bounded.
#
# Wine maps COM ports to the machine's real serial devices unless told
# otherwise (COM1 is /dev/ttyS0 in a fresh prefix, and a link made by hand in
# dosdevices is rewritten when the server starts). So: COM1..COM4 are mapped
# through the registry to paths in the temporary folder before any Windows
# program runs; where the system lets us, the real serial devices are masked in
# a mount namespace of our own (Wine still numbers them, COM5 and up, but they
# lead to empty files in the temporary folder); and nothing runs unless every
# COM port Wine knows leads into the temporary folder or to such a mask.

WINE64=${WINE64:-$(command -v wine64 || echo /usr/lib/wine/wine64)}
WINESERVER=${WINESERVER:-$(command -v wineserver || echo /usr/lib/wine/wineserver)}
RZ_WINE_PORTS=(COM1 COM2 COM3 COM4)

# Re-runs the calling script in mount and network namespaces of its own (when
# allowed): the real serial devices can be masked there without touching the
# machine, and the only network is a loopback of our own (no datagram can
# leave the machine, and no other program's port 13330 is in the way).
wine_isolate() {
  if [ -n "${RZ_WINE_NAMESPACE:-}" ]; then
    ip link set lo up || { echo "wine: cannot bring up the namespace's loopback" >&2; exit 1; }
    return 0
  fi
  local flags=(-m -n --propagation private)
  [ "$(id -u)" -eq 0 ] || flags=(-r "${flags[@]}")
  if unshare "${flags[@]}" true 2>/dev/null; then
    RZ_WINE_NAMESPACE=1 exec unshare "${flags[@]}" "$0" "$@"
  fi
  echo "wine: no namespaces here: the serial devices stay visible to Wine (and refused below)," \
    "and UDP shares the machine's loopback" >&2
}

# Masks every real serial device with an empty file in $wine_tmp/masked.
mask_serial_devices() {
  [ -n "${RZ_WINE_NAMESPACE:-}" ] || return 0
  mkdir -p "$wine_tmp/masked"
  local dev
  for dev in /dev/ttyS* /dev/ttyUSB* /dev/ttyACM* /dev/ttyAMA* /dev/rfcomm*; do
    [ -c "$dev" ] || continue
    : >"$wine_tmp/masked/${dev##*/}"
    mount --bind "$wine_tmp/masked/${dev##*/}" "$dev" ||
      echo "wine: cannot mask $dev" >&2
  done
}

wine64_run() {  # wine64_run SECONDS PROGRAM ARGS...
  local limit=$1
  shift
  timeout -k 5 "$limit" "$WINE64" "$@"
}

# A Windows path for a path of this machine (drive Z: is the root).
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# Refuses (returns 1, saying why) unless COM1..COM4 lead to our own paths in
# the registry and in dosdevices, and every other COM port Wine made leads into
# the temporary folder or to one of our masks.
verify_com_ports() {
  local query port value link target ok
  query=$(wine64_run 60 reg query 'HKLM\Software\Wine\Ports' 2>>"$wine_log" | tr -d '\r')
  for port in "${RZ_WINE_PORTS[@]}"; do
    value=$(awk -v p="$port" '$1 == p && $2 == "REG_SZ" { print $3 }' <<<"$query")
    if [ "$value" != "$wine_boards/$port" ]; then
      echo "wine: REFUSED: the registry maps $port to '$value', not to $wine_boards/$port" >&2
      return 1
    fi
    # The server makes the dosdevices links from the registry as it starts.
    for _ in $(seq 100); do
      [ "$(readlink "$WINEPREFIX/dosdevices/${port,,}")" = "$wine_boards/$port" ] && break
      sleep 0.05
    done
  done
  for link in "$WINEPREFIX"/dosdevices/com*; do
    [ -L "$link" ] || continue
    target=$(readlink "$link")
    ok=
    case $target in "$wine_tmp"/*) ok=1 ;; esac
    if [ -z "$ok" ] && [ -e "$wine_tmp/masked/${target##*/}" ] && [ "$target" -ef "$wine_tmp/masked/${target##*/}" ]; then
      ok=1
    fi
    if [ -z "$ok" ]; then
      echo "wine: REFUSED: ${link##*/} leads to $target, outside $wine_tmp" >&2
      return 1
    fi
  done
  for port in "${RZ_WINE_PORTS[@]}"; do
    if [ "$(readlink "$WINEPREFIX/dosdevices/${port,,}")" != "$wine_boards/$port" ]; then
      echo "wine: REFUSED: dosdevices/${port,,} does not lead to $wine_boards/$port" >&2
      return 1
    fi
  done
  echo "wine: COM ports checked: $(cd "$WINEPREFIX/dosdevices" && for l in com*; do printf '%s->%s ' "$l" "$(readlink "$l")"; done)"
}

# wine_start RZBOARD_SIM: the prefix, the COM ports, the server, the launcher.
wine_start() {
  local sim=$1 port
  wine_tmp=$(mktemp -d "${TMPDIR:-/tmp}/rz-wine.XXXXXX")
  wine_boards=$wine_tmp/boards
  wine_log=$wine_tmp/wine.log
  mkdir -p "$wine_boards"
  mask_serial_devices
  export WINEPREFIX=$wine_tmp/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # Wine's own temporary files stay in our folder too.
  export TMPDIR=$wine_tmp
  wine64_run 180 wineboot -i >>"$wine_log" 2>&1 || { echo "wine: wineboot failed (log: $wine_log)" >&2; return 1; }
  for port in "${RZ_WINE_PORTS[@]}"; do
    wine64_run 60 reg add 'HKLM\Software\Wine\Ports' /v "$port" /t REG_SZ /d "$wine_boards/$port" /f \
      >>"$wine_log" 2>&1 || { echo "wine: cannot map $port" >&2; return 1; }
  done
  # Windows are made without any display (the window tests drive them by
  # messages); RZ_WINE_GRAPHICS=x11 keeps the display for screenshots.
  if [ "${RZ_WINE_GRAPHICS:-null}" = null ]; then
    wine64_run 60 reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d null /f >>"$wine_log" 2>&1 ||
      { echo "wine: cannot select the null graphics driver" >&2; return 1; }
  fi
  # A restarted server makes the COM ports from the registry; one persistent
  # server for every program that follows (no start-up and linger per program).
  timeout 30 "$WINESERVER" -k >>"$wine_log" 2>&1
  timeout 30 "$WINESERVER" -w >>"$wine_log" 2>&1
  timeout -k 5 "${RZ_WINE_SERVER_LIMIT:-3600}" "$WINESERVER" -f -p >>"$wine_tmp/wineserver.log" 2>&1 &
  wine_server_pid=$!
  verify_com_ports || return 1
  "$(dirname "${BASH_SOURCE[0]}")/board_launcher.sh" "$sim" "$wine_boards" >>"$wine_tmp/launcher.log" 2>&1 &
  wine_launcher_pid=$!
  export RZ_SIM_CONTROL
  RZ_SIM_CONTROL=$(windows_path "$wine_boards")
}

# The server first (it holds the boards' terminals), then the boards; the
# logs are kept in KEEP_DIR when one is given.
wine_stop() {
  local keep=${1:-}
  [ -n "${wine_tmp:-}" ] || return 0
  timeout 30 "$WINESERVER" -k >>"$wine_log" 2>&1
  [ -n "${wine_server_pid:-}" ] && { timeout 10 tail --pid="$wine_server_pid" -f /dev/null; kill "$wine_server_pid" 2>/dev/null; }
  if [ -n "${wine_launcher_pid:-}" ]; then
    kill -TERM "$wine_launcher_pid" 2>/dev/null
    timeout 10 tail --pid="$wine_launcher_pid" -f /dev/null
  fi
  if [ -n "$keep" ]; then
    mkdir -p "$keep"
    cp "$wine_tmp"/*.log "$keep"/ 2>/dev/null
  fi
  rm -rf "$wine_tmp"
  wine_tmp=
}
