#!/usr/bin/env bash
# Sets up what the build needs, builds everything and runs every test, with
# compiler warnings as errors.
#   scripts/test.sh [--sanitize] [--compiler gcc|clang]
#     (default)   gcc, RelWithDebInfo, in build/
#     --sanitize  AddressSanitizer + UndefinedBehaviorSanitizer, Debug, in build-asan/
#     --compiler  clang builds in build-clang/ or build-asan-clang/ (with the fuzz targets)
set -euo pipefail
cd "$(dirname "$0")/.."
sanitize=0
compiler=gcc
while [ $# -gt 0 ]; do
    case "$1" in
        --sanitize) sanitize=1 ;;
        --compiler) compiler=${2:?--compiler needs gcc or clang}; shift ;;
        --compiler=*) compiler=${1#--compiler=} ;;
        *) echo "usage: scripts/test.sh [--sanitize] [--compiler gcc|clang]" >&2; exit 2 ;;
    esac
    shift
done
scripts/install-deps.sh
dir=build
flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DORV_WERROR=ON)
if [ $sanitize = 1 ]; then
    dir=build-asan
    flags=(-DCMAKE_BUILD_TYPE=Debug -DORV_SANITIZE=ON -DORV_WERROR=ON)
    export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
    export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
fi
case "$compiler" in
    gcc) ;;  # the system's c++, g++ on Debian
    clang)
        flags+=(-DCMAKE_CXX_COMPILER=clang++)
        dir+=-clang
        # The sanitizer build with clang builds the fuzz targets as well, so
        # that scripts/fuzz.sh can run them without a build of its own.
        [ $sanitize = 1 ] && flags+=(-DORV_FUZZ=ON) ;;
    *) echo "scripts/test.sh: unknown compiler '$compiler' (gcc or clang)" >&2; exit 2 ;;
esac
cmake -S . -B "$dir" -G Ninja "${flags[@]}"
ninja -C "$dir"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" --timeout 120
