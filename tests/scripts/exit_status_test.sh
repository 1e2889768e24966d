#!/usr/bin/env bash
# The exit statuses of the Linux programs, from one table: a wrong command
# line and a station that cannot start give 2, a failed operation 1, help 0.
#   tests/scripts/exit_status_test.sh BIN_DIR
set -uo pipefail
bin=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir -p "$dir/program" "$dir/empty"
head -c 64 /dev/zero >"$dir/program/tst7312v26.bin"
export QT_QPA_PLATFORM=offscreen

failed=0
check() {  # check EXPECTED PROGRAM ARGS...
  local expected=$1 status
  shift
  timeout 60 "$bin/$@" >/dev/null 2>&1 </dev/null
  status=$?
  if [ "$status" -ne "$expected" ]; then
    echo "FAIL: $* ended with $status, expected $expected"
    failed=1
  else
    echo "ok: $* -> $status"
  fi
}

check 0 rzstation-cli --help
check 2 rzstation-cli --no-such-option
check 2 rzstation-cli --workdir "$dir/empty" --com1 "$dir/none" config
check 2 rzstation-cli --workdir "$dir/program" --com1 "$dir/none" --record "$dir/no/such/folder/r.json" config
check 1 rzstation-cli --workdir "$dir/program" --com1 "$dir/none" config
if [ -x "$bin/rzstation" ]; then
  check 0 rzstation --help
  check 2 rzstation --no-such-option
fi
exit $failed
