#!/usr/bin/env bash
# The Windows configuration of the suite: the cross-built test programs,
# rzstation-cli.exe and rzstation.exe under Wine, against the Linux rzboard-sim.
#   tests/wine/run_wine_tests.sh WINDOWS_BUILD LINUX_BUILD
# WINDOWS_BUILD holds bin/*.exe (scripts/build.sh windows), LINUX_BUILD
# bin/rzboard-sim and bin/rzstation-cli (scripts/build.sh). Logs of the run are
# kept in WINDOWS_BUILD/wine-logs.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine_env.sh"
wine_isolate "$@"

windows_build=$(cd "$1" && pwd)
linux_build=$(cd "$2" && pwd)
logs=$windows_build/wine-logs
rm -rf "$logs"
mkdir -p "$logs"
trap 'wine_stop "$logs"' EXIT

wine_start "$linux_build/bin/rzboard-sim" || { echo "wine: nothing was run" >&2; exit 1; }

failed=()
# Tests and command-line runs that passed, for the closing count.
wine_passed=0
# The tests a program holds, one "Suite.Test" a line.
list_tests() {
  wine64_run 60 "$windows_build/bin/$1.exe" --gtest_list_tests 2>>"$wine_log" | tr -d '\r' |
    awk '/^[^ ]/ { suite = $1; next } /^  / { print suite $1 }'
}

# Why a test is not run under Wine (wine_exclusions.txt: a name or pattern
# such as Suite.*, then the reason), or nothing.
excluded() {
  local pattern reason
  while read -r pattern reason; do
    [[ -z $pattern || $pattern == \#* ]] && continue
    # shellcheck disable=SC2053 # the pattern is meant to match as a glob
    if [[ $1 == $pattern ]]; then
      echo "$reason"
      return
    fi
  done <"$here/wine_exclusions.txt"
}

# Each test in a Wine process of its own (about 0.1 s with the server running):
# a crash or a hang ends that test only, within `limit` seconds.
run_tests() {  # run_tests PROGRAM SECONDS_PER_TEST
  local program=$1 limit=$2 started test status passed=0 skipped=0 reason
  local out=$logs/$program
  mkdir -p "$out"
  started=$(date +%s)
  local tests
  tests=$(list_tests "$program")
  if [ -z "$tests" ]; then
    echo "wine: $program lists no tests"
    failed+=("$program")
    return
  fi
  for test in $tests; do
    reason=$(excluded "$test")
    if [ -n "$reason" ]; then
      skipped=$((skipped + 1))
      echo "$test: not run under Wine: $reason" >>"$logs/skipped.txt"
      continue
    fi
    local log=$out/${test//\//_}.txt
    wine64_run "$limit" "$windows_build/bin/$program.exe" --gtest_color=no --gtest_filter="$test" \
      >"$log" 2>&1 </dev/null
    status=$?
    # A crash under Wine can end with status 0 (its debugger reports it): only
    # GoogleTest's own closing line counts as a pass.
    if [ $status -eq 0 ] && grep -q '^\[  PASSED  \] 1 test' "$log"; then
      passed=$((passed + 1))
    else
      echo "wine: $program: $test FAILED (exit status $status):"
      grep -aE -A3 'Failure|Unhandled' "$log" | head -12 | sed 's/^/    /'
      failed+=("$test")
    fi
  done
  wine_passed=$((wine_passed + passed))
  echo "wine: $program: $passed passed, $skipped not run under Wine, in $(($(date +%s) - started)) s"
}

run_tests rz_unit_tests 60
run_tests rz_board_tests 120
run_tests rz_win32_window_tests 120
run_tests rz_win32_dialog_tests 120
. "$here/cli_end_to_end.sh"
run_cli_end_to_end || failed+=(rzstation-cli)
. "$here/window_end_to_end.sh"
run_window_end_to_end || failed+=(rzstation)
run_window_profile || failed+=(rzstation-profile)

if [ ${#failed[@]} -gt 0 ]; then
  echo "wine: failed: ${failed[*]} (logs in $logs)"
fi
echo "wine: $wine_passed passed, ${#failed[@]} failed"
[ ${#failed[@]} -eq 0 ]
