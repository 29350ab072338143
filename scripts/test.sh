#!/usr/bin/env bash
# Sets up what the build needs, builds everything and runs every test, with
# compiler warnings as errors.
#   scripts/test.sh [--sanitize] [--compiler gcc|clang]
#     (default)   gcc, RelWithDebInfo, in build/ (the "dev" preset)
#     --sanitize  AddressSanitizer + UndefinedBehaviorSanitizer, Debug, in build-asan/ ("asan")
#     --compiler  clang builds in build-clang/ ("clang") or build-asan-clang/ ("asan-clang",
#                 with the fuzz targets)
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
# gcc is the system's c++ (g++ on Debian). The sanitizer build with clang
# builds the fuzz targets as well, so that scripts/fuzz.sh can run them
# without a build of its own.
case "$compiler:$sanitize" in
    gcc:0) preset=dev ;;
    clang:0) preset=clang ;;
    gcc:1) preset=asan ;;
    clang:1) preset=asan-clang ;;
    *) echo "scripts/test.sh: unknown compiler '$compiler' (gcc or clang)" >&2; exit 2 ;;
esac
if [ $sanitize = 1 ]; then
    export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
    export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
fi
scripts/install-deps.sh
cmake --preset "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset" -j "$(nproc)"
