#!/usr/bin/env bash
# How long orvtool's transfers take against orv-sim at 19,200 baud on a clean
# line, beside their wire time:
#   one read   29 block reads and the read past them, 3 + 64 bytes each: 1.047 s
#   download   29 blocks of four writes and their acknowledgements, then the end: 1.363 s
# Each figure is the whole command, process start and the first live reply
# included (about 0.06 s), the median of RUNS:
#   upload                 every block read twice; goal at most 2.1 x one read
#   upload --base HELD     HELD is what the controller holds: one read each; goal at most 1.15 x one read
#   download --verify      goal at most 1.15 x (download + one read)
#
#   bench/transfer_time.sh [RUNS] [BUILD_DIR]     defaults: 5, build/ (built if it lacks the programs)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}
build=$(realpath -m -- "${2:-$root/build}")
if [ ! -x "$build/tools/orvtool" ] || [ ! -x "$build/sim/orv-sim" ]; then
    [ -f "$build/CMakeCache.txt" ] || cmake -S "$root" --preset dev -B "$build"
    ninja -C "$build" orvtool orv-sim >/dev/null
fi
work=$(mktemp -d /tmp/orv-transfer.XXXXXX)
sim=""
cleanup() {
    [ -z "$sim" ] || { kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true; }
    rm -rf "$work"
}
trap cleanup EXIT
# The sample as a download leaves it in the controller: every view field on "Bank 1".
awk 'NR == 159 || NR == 618 || NR == 1077 || NR == 1536 { $0 = $0 - $0 % 4 } { sub(/\r$/, ""); printf "%s\r\n", $0 }' \
    "$root/samples/sample.map" >"$work/held.map"
"$build/sim/orv-sim" --baud 19200 --link "$work/tty" --calibration "$work/held.map" >"$work/sim.out" 2>&1 &
sim=$!
for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done

seconds() {
    local start
    start=$(date +%s.%N)
    "$build/tools/orvtool" "$@" --port "$work/tty" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
    echo "$(date +%s.%N) - $start" | bc
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
: >"$work/times"
for _ in $(seq "$runs"); do
    printf '%s %s %s %s\n' "$(seconds upload -o "$work/up.map")" \
        "$(seconds upload -o "$work/up.map" --base "$work/held.map")" \
        "$(seconds download "$work/held.map")" "$(seconds download "$work/held.map" --verify)" >>"$work/times"
done
up=$(cut -d' ' -f1 "$work/times" | median)
known=$(cut -d' ' -f2 "$work/times" | median)
down=$(cut -d' ' -f3 "$work/times" | median)
verify=$(cut -d' ' -f4 "$work/times" | median)
awk -v up="$up" -v known="$known" -v down="$down" -v verify="$verify" -v runs="$runs" 'BEGIN {
    read = 30 * 67 * 10 / 19200
    printf "upload                 %5.2f s  %4.2f x one read (%.3f s)\n", up, up / read, read
    printf "upload --base (held)   %5.2f s  %4.2f x one read\n", known, known / read
    printf "download               %5.2f s\n", down
    printf "download --verify      %5.2f s  %4.2f x (download + one read)\n", verify, verify / (down + read)
    printf "medians of %d runs each\n", runs
}'
