#!/usr/bin/env bash
# Starts, resets and stops simulated boards for test programs that cannot start
# them themselves (Windows programs under Wine), asked through files in FOLDER:
# the program writes FOLDER/request (a verb, the port, then rzboard-sim's
# options, one a line) and waits for FOLDER/reply ("ok", or "error: ..."). The
# board for COMn links its terminal at FOLDER/COMn and prints into
# FOLDER/COMn.out. Runs until it is sent SIGTERM; stops its boards then.
#   board_launcher.sh RZBOARD_SIM FOLDER
set -uo pipefail

sim=$1
folder=$2
declare -A pids=()

stop_board() {
  local pid=${pids[$1]:-}
  [ -n "$pid" ] || return 0
  kill -TERM "$pid" 2>/dev/null
  # Bounded: a board that does not end on SIGTERM within 5 s is killed.
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; pause 0.1; done
  kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  unset "pids[$1]"
}

stop_all() {
  for port in "${!pids[@]}"; do stop_board "$port"; done
  exit 0
}
trap stop_all TERM INT HUP

reply() {
  printf '%s\n' "$1" >"$folder/reply.tmp"
  mv -f "$folder/reply.tmp" "$folder/reply"
}

# A pause without starting a process: a read that times out on a FIFO nobody writes.
mkfifo "$folder/.tick"
exec 9<>"$folder/.tick"
pause() { read -r -t "$1" -u 9 || true; }

# A Windows program names its files by Windows paths (C:\users\...): the
# board, a Linux program, gets them through the prefix's drive links.
linux_path() {
  if [[ $1 =~ ^([A-Za-z]):[\\/](.*)$ ]] && [ -n "${WINEPREFIX:-}" ]; then
    local rest=${BASH_REMATCH[2]}
    printf '%s/dosdevices/%s:/%s' "$WINEPREFIX" "${BASH_REMATCH[1],,}" "${rest//\\//}"
  else
    printf '%s' "$1"
  fi
}

start_board() {
  local port=$1 option options=()
  shift
  for option in "$@"; do options+=("$(linux_path "$option")"); done
  set -- "${options[@]}"
  stop_board "$port"
  # Emptied here, before the board starts: the ready check below must not see
  # the previous board's line.
  : >"$folder/$port.out"
  "$sim" --link "$folder/$port" "$@" >>"$folder/$port.out" 2>&1 &
  pids[$port]=$!
  # The board prints a line once it is ready.
  for _ in $(seq 1000); do
    if [ "$(wc -l <"$folder/$port.out")" -gt 0 ]; then
      reply ok
      return
    fi
    if ! kill -0 "${pids[$port]}" 2>/dev/null; then
      wait "${pids[$port]}" 2>/dev/null
      unset "pids[$port]"
      reply "error: the board did not start: $(tr '\n' ' ' <"$folder/$port.out")"
      return
    fi
    pause 0.01
  done
  reply "error: the board on $port printed nothing within 10 s"
}

while :; do
  if [ -e "$folder/request" ]; then
    mapfile -t request <"$folder/request"
    rm -f "$folder/request"
    verb=${request[0]:-}
    port=${request[1]:-}
    if ! [[ $port =~ ^COM[1-9][0-9]?$ ]]; then
      reply "error: '$port' is not a port name COMn"
      continue
    fi
    case $verb in
      start) start_board "$port" "${request[@]:2}" ;;
      stop) stop_board "$port"; reply ok ;;
      reset)
        if [ -n "${pids[$port]:-}" ] && kill -USR1 "${pids[$port]}" 2>/dev/null; then reply ok
        else reply "error: no board on $port"; fi ;;
      *) reply "error: unknown request '$verb'" ;;
    esac
  fi
  pause 0.005
done
