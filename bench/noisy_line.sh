# Sourced by the noisy-line benchmarks: builds orvtool and orv-sim in $build,
# starts orv-sim at 19,200 baud on $work/tty with the arguments given, and two
# busy loops beside it (a loaded laptop); all are stopped, and $work removed,
# when the benchmark exits.
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" --preset dev -B "$build"
fi
ninja -C "$build" orvtool orv-sim >/dev/null
work=$(mktemp -d /tmp/orv-noisy.XXXXXX)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
start_noisy_sim() {
    "$build/sim/orv-sim" --baud 19200 --seed 7 --link "$work/tty" "$@" >"$work/sim.out" 2>"$work/sim.err" &
    pids+=($!)
    for _ in 1 2; do (while :; do :; done) & pids+=($!); done
    for _ in $(seq 50); do [ -e "$work/tty" ] && break; sleep 0.1; done
}
