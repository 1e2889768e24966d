#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite: the default
# build (and the Debian package made from it, unpacked into a scratch root and
# run from there), then the AddressSanitizer+UBSan and ThreadSanitizer builds,
# then the Windows build under Wine (against the default build's simulated board).
#   scripts/run-tests.sh           all four configurations
#   scripts/run-tests.sh --quick   the default configuration only
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
kinds=(default asan tsan windows)
[ "${1:-}" = "--quick" ] && kinds=(default)

export QT_QPA_PLATFORM=offscreen
# TSan needs the address space laid out without the newest kernels' high entropy.
tsan_run() { setarch "$(uname -m)" -R "$@"; }

for kind in "${kinds[@]}"; do
  echo "=== $kind build ==="
  scripts/build.sh "$kind"
  case "$kind" in
    default) dir=build ;;
    asan) dir=build-asan ;;
    tsan) dir=build-tsan ;;
    windows) dir=build-windows ;;
  esac
  echo "=== $kind tests ==="
  if [ "$kind" = windows ]; then
    tests/wine/run_wine_tests.sh build-windows build
  elif [ "$kind" = tsan ]; then
    tsan_run ctest --test-dir "$dir" --output-on-failure --timeout 300 -j2
  else
    ctest --test-dir "$dir" --output-on-failure --timeout 300 -j2
  fi
  if [ "$kind" = default ]; then
    echo "=== Debian package ==="
    scripts/package.sh
  fi
done
