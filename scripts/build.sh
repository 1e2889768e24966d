#!/usr/bin/env bash
# Configures and builds one configuration into build/ (or build-asan/,
# build-tsan/, build-windows/).
#   scripts/build.sh            default (optimised, with debug info)
#   scripts/build.sh asan       AddressSanitizer + UndefinedBehaviorSanitizer
#   scripts/build.sh tsan       ThreadSanitizer
#   scripts/build.sh windows    rzstation-cli.exe for 64-bit Windows (MinGW-w64,
#                               linked statically; the window and the simulated
#                               board are Linux programs and are not built) and
#                               the portable tests, for tests/wine/run_wine_tests.sh
set -euo pipefail
cd "$(dirname "$0")/.."

kind="${1:-default}"
case "$kind" in
  default) dir=build; extra=(-DRZ_BUILD_GUI=ON) ;;
  asan) dir=build-asan; extra=(-DRZ_BUILD_GUI=ON -DRZ_SANITIZE=address -DRZ_BUILD_BENCH=OFF) ;;
  tsan) dir=build-tsan; extra=(-DRZ_BUILD_GUI=ON -DRZ_SANITIZE=thread -DRZ_BUILD_BENCH=OFF) ;;
  windows) dir=build-windows
    extra=(-DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-mingw64.cmake" -DRZ_BUILD_TESTS=ON) ;;
  *) echo "usage: $0 [default|asan|tsan|windows]" >&2; exit 2 ;;
esac

cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRZ_WERROR=ON "${extra[@]}" >/dev/null
cmake --build "$dir" --parallel "$(nproc)"
