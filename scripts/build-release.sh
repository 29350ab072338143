#!/usr/bin/env bash
# Builds the console, the simulator and orvtool in a Release folder (the
# "release" preset, default build-release/); quiet unless it fails. An
# existing folder keeps its settings.
#   scripts/build-release.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m -- "${1:-$root/build-release}")
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! { [ -f "$build/CMakeCache.txt" ] || cmake -S "$root" --preset release -B "$build"; } >"$log" 2>&1 ||
   ! ninja -C "$build" orv-console orv-sim orvtool >>"$log" 2>&1; then
    cat "$log" >&2
    exit 1
fi
