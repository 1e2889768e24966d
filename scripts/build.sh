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

# Compiler cache: a rebuild of the same sources, in this clone or another one
# (paths are taken relative to the source folder), compiles nothing again.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRZ_WERROR=ON "${launcher[@]}" "${extra[@]}" >/dev/null
cmake --build "$dir" --parallel "$(nproc)"
