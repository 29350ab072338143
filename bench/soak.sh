#!/usr/bin/env bash
# The soak: the console's window, offscreen, driven through its own widgets
# for MINUTES (default 10) against orv-sim at 19,200 baud that drops, cuts
# short, adds noise to and holds back (250 ms, as a Bluetooth adapter may) replies: Connect every few seconds, a download and
# an upload every minute, host mode on and off, and the simulator hung up and
# started again every third minute. Prints crashes, lock-step violations,
# misread replies, byte-exact transfers, and the console's CPU and memory.
#   bench/soak.sh [MINUTES] [BUILD_DIR]     BUILD_DIR default build/ (built if needed)
# Exit status 0 when nothing went wrong. Run it with nice on a shared machine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
minutes=${1:-10}
build=$(realpath -m -- "${2:-$root/build}")
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" --preset dev -B "$build"
fi
ninja -C "$build" orv_soak orv-sim >/dev/null
work=$(mktemp -d /tmp/orv-soak.XXXXXX)
export QT_QPA_PLATFORM=offscreen
status=0
"$build/bench/soak/orv_soak" "$minutes" "$root/samples/sample.map" "$work" || status=$?
if [ "$status" -gt 128 ]; then
    echo "soak: the console crashed (signal $((status - 128)))"
    grep -h "" "$work"/sim-*.log 2>/dev/null | tail -5
fi
if [ "$status" = 0 ]; then
    rm -rf "$work"
else
    echo "soak: orv-sim's logs and the files kept in $work"
fi
exit "$status"
