#!/usr/bin/env bash
# scripts/run-boards.sh end to end: three simulated boards in parallel, each
# with its own pseudo-terminal, directory, record and report; then a station
# whose ports do not exist, whose failure the table and the exit status show.
#   tests/scripts/run_boards_test.sh BIN_DIR
set -euo pipefail
bin="${1:?usage: $0 BIN_DIR}"
script="$(dirname "$0")/../../scripts/run-boards.sh"
runs="$(mktemp -d)"
trap 'rm -rf "$runs"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

out="$("$script" -n 3 -d "$runs/sim" -b "$bin")" || fail "three simulated boards: exit $?: $out"
echo "$out"
[ "$(echo "$out" | grep -c '^board[0-9] ')" -eq 3 ] || fail "three rows expected"
for k in 1 2 3; do
  record="$runs/sim/board$k/record.json"
  jq -e '.complete and ([.units[].operations[] | .outcome] == ["success", "success"])' "$record" >/dev/null ||
    fail "board$k: record $(cat "$record")"
  [ "$(grep -c '<testcase ' "$runs/sim/board$k/junit.xml")" -eq 2 ] || fail "board$k: JUnit report"
  [ -s "$runs/sim/board$k/vesk_rz.log" ] || fail "board$k: no results log"
done
# Every board was its own: three identities, three terminals.
[ "$(jq -r '.units[].identity.processor.uniqId // empty' "$runs"/sim/board*/record.json | sort -u | wc -l)" -eq 3 ] ||
  fail "identities not distinct"
[ "$(echo "$out" | awk '/^board/ {print $2}' | sort -u | wc -l)" -eq 3 ] || fail "terminals not distinct"

# Three stations write one image at once: readers share it.
head -c 4194304 /dev/urandom >"$runs/image.bin"
out="$("$script" -n 3 -d "$runs/image" -b "$bin" download --flash-service "write=$runs/image.bin")" ||
  fail "one image, three boards: exit $?: $out $(cat "$runs"/image/board*/station.out)"
[ "$(echo "$out" | grep -c 'write:success')" -eq 3 ] || fail "one image, three boards: $out"

# A production profile: the table shows each board's verdict; one wrong build fails.
jq '.sequence = ["download", "config"] | del(."$schema")' "$(dirname "$0")/../../profiles/rz-board.json" >"$runs/profile.json"
status=0
out="$("$script" -n 3 -d "$runs/profile" -b "$bin" -P "$runs/profile.json" -f 2="--eth-voltage 0")" || status=$?
echo "$out"
[ "$status" -eq 1 ] || fail "a wrong build among three: exit $status, 1 expected"
echo "$out" | grep -q '^board1 .* PASS  ' || fail "board1 should pass"
echo "$out" | grep -q '^board2 .* FAIL .*\[config.ethernet.supplyMillivolts\]' || fail "board2 should fail on its supply"
echo "$out" | grep -q '^board3 .* PASS  ' || fail "board3 should pass"

status=0
out="$("$script" -p "$runs/no-such-tty" -d "$runs/real" -b "$bin" port=COM2)" || status=$?
echo "$out"
[ "$status" -eq 1 ] || fail "a missing port: exit $status, 1 expected"
echo "$out" | grep -q '^board1 .* port:failed' || fail "a missing port: no failed row"
echo "PASS"
