#!/usr/bin/env bash
# Configures and builds one configuration into build/ (or build-asan/, build-tsan/).
#   scripts/build.sh            default (optimised, with debug info)
#   scripts/build.sh asan       AddressSanitizer + UndefinedBehaviorSanitizer
#   scripts/build.sh tsan       ThreadSanitizer
set -euo pipefail
cd "$(dirname "$0")/.."

kind="${1:-default}"
case "$kind" in
  default) dir=build; extra=() ;;
  asan) dir=build-asan; extra=(-DRZ_SANITIZE=address -DRZ_BUILD_BENCH=OFF) ;;
  tsan) dir=build-tsan; extra=(-DRZ_SANITIZE=thread -DRZ_BUILD_BENCH=OFF) ;;
  *) echo "usage: $0 [default|asan|tsan]" >&2; exit 2 ;;
esac

cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRZ_BUILD_GUI=ON -DRZ_WERROR=ON "${extra[@]}" >/dev/null
cmake --build "$dir" --parallel "$(nproc)"
