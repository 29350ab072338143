#!/usr/bin/env bash
# Builds the console and the simulator in a Release folder (default
# build-release/); quiet unless it fails. An existing folder keeps its settings.
#   scripts/build-release.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m -- "${1:-$root/build-release}")
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! { [ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release; } >"$log" 2>&1 ||
   ! ninja -C "$build" orv-console orv-sim >>"$log" 2>&1; then
    cat "$log" >&2
    exit 1
fi
