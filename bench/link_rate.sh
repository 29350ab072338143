#!/usr/bin/env bash
# Link-rate benchmark: the real console (offscreen) polls the simulated
# controller over a pseudo-terminal paced at 19,200 baud, and we measure
#   - live polls per second (a poll is a 3-byte request and a 10-byte reply,
#     13 bytes of 10 bits: 19,200 / 130 = 147.7 polls/s at most);
#     target: at least 95 % of that;
#   - the console's CPU use over the run (every thread's run time from
#     /proc's schedstat: utime and stime are sampled at the clock tick and
#     miss most of a process that wakes 300 times a second), reported;
#   - its CPU per poll against a bare C poller's (bench/bare_poller) on the
#     same line in the same run; target: at most 1.5 times;
#   - the console's peak resident memory (VmHWM); target: below 80 MB.
# Then beside two busy loops (a loaded laptop): the console's polls against
# a Python poller's on the same line (target: at least 0.97 of them), and
# its CPU per poll against the bare poller's, loaded too (reported).
# Then the same again with the console logging every live block
# ("Start logging on Connect" set in its logging.ini): the log must hold a
# row per poll, and logging may add less than half a point of a core.
#
#   bench/link_rate.sh [SECONDS]       default 10; ORV_BUILD_DIR picks the build folder (build-release/)
#   ORV_BENCH_LOG=off bench/link_rate.sh   no logging run
#   ORV_BENCH_LOAD=off bench/link_rate.sh  no runs beside the busy loops
#   ORV_BENCH_ROUNDS=N                      turns of the console and the bare poller (default 3)
# Exit status 0 when every target is met.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m -- "${ORV_BUILD_DIR:-$root/build-release}")
seconds=${1:-10}
warmup=1
baud=19200

"$root/scripts/build-release.sh" "$build"
ninja -C "$build" orv_bare_poller >/dev/null

work=$(mktemp -d)
sim_pid="" console_pid=""
cleanup() {
    for pid in $console_pid $sim_pid; do kill "$pid" 2>/dev/null || true; done
    for pid in $console_pid $sim_pid; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

"$build/sim/orv-sim" --baud "$baud" --link "$work/com1" --log "$work/sim.log" \
    --calibration "$root/samples/sample.map" >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
deadline=$((SECONDS + 10))
until [ -s "$work/sim.out" ]; do
    [ $SECONDS -lt $deadline ] || { echo "link_rate: orv-sim did not start" >&2; cat "$work/sim.err" >&2; exit 1; }
    sleep 0.05
done
cp "$root/samples/sample.map" "$work/sample.map"
printf '1,"%s",""\r\n' "$work/sample.map" >"$work/config.dat"

polls() { grep -c ' RX 8A 01 03' "$work/sim.log" || true; }
# Run time of every thread of a process, in nanoseconds (finer than utime).
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ t += $1 } END { printf "%.0f\n", t }'; }
now() { date +%s.%N; }

hog_pids=()
hogs() {
    if [ "$1" = on ]; then
        for _ in 1 2; do (while :; do :; done) & hog_pids+=($!); done
    else
        for p in "${hog_pids[@]}"; do kill "$p" 2>/dev/null || true; wait "$p" 2>/dev/null || true; done
        hog_pids=()
    fi
}
trap 'hogs off; cleanup' EXIT

# One run of the console in $work: prints "rate cpu_percent mem_mb log_rows seconds cpu_us_per_poll".
measure() {
    local logging=$1
    rm -rf "$work/logs"
    if [ "$logging" = on ]; then printf '[log]\nstart_on_connect=true\n' >"$work/logging.ini"; else rm -f "$work/logging.ini"; fi
    (cd "$work" && QT_QPA_PLATFORM=offscreen exec "$build/app/orv-console") >"$work/console.log" 2>&1 &
    console_pid=$!
    sleep "$warmup"
    kill -0 "$console_pid" 2>/dev/null || { echo "link_rate: the console did not start" >&2; cat "$work/console.log" >&2; exit 1; }
    local t0 p0 c0 t1 p1 c1 hwm_kb rows=0
    t0=$(now) p0=$(polls) c0=$(cpu_ns "$console_pid")
    sleep "$seconds"
    t1=$(now) p1=$(polls) c1=$(cpu_ns "$console_pid")
    hwm_kb=$(awk '/^VmHWM:/ { print $2 }' "/proc/$console_pid/status")
    kill "$console_pid"
    wait "$console_pid" || true
    console_pid=""
    if [ "$logging" = on ]; then
        rows=$(cat "$work"/logs/*.csv 2>/dev/null | grep -c '^[0-9.]*,[0-9]' || true)
    fi
    awk -v t0="$t0" -v t1="$t1" -v p0="$p0" -v p1="$p1" -v c0="$c0" -v c1="$c1" \
        -v hwm="$hwm_kb" -v rows="$rows" 'BEGIN {
        elapsed = t1 - t0; n = p1 - p0
        printf "%f %f %f %d %f %f\n", n / elapsed, 100 * (c1 - c0) / 1e9 / elapsed, hwm / 1024, rows, elapsed,
            (n > 0 ? (c1 - c0) / 1e3 / n : 0)
    }'
}

# The references on the same line: prints "rate cpu_us_per_poll".
bare() {
    "$build/bench/orv_bare_poller" "$work/com1" "$seconds" |
        awk '{ printf "%f %f\n", $1 / $3, ($1 > 0 ? 1e6 * $2 / $1 : 0) }'
}
python_poller() {
    python3 - "$work/com1" "$seconds" <<'PY'
import os, select, sys, termios, time, tty
fd = os.open(sys.argv[1], os.O_RDWR | os.O_NOCTTY)
tty.setraw(fd)
attrs = termios.tcgetattr(fd)
attrs[4] = attrs[5] = termios.B19200
termios.tcsetattr(fd, termios.TCSANOW, attrs)
polls, t0 = 0, time.monotonic()
end = t0 + float(sys.argv[2])
while time.monotonic() < end:
    termios.tcflush(fd, termios.TCIFLUSH)
    os.write(fd, b"\x8a\x01\x03")
    got, deadline = b"", time.monotonic() + 0.1
    while len(got) < 10:
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([fd], [], [], left)[0]:
            break
        got += os.read(fd, 64)
    polls += len(got) == 10
print(f"{polls / (time.monotonic() - t0):f} 0")
PY
}

# The machine is shared: the console and the bare poller take turns, and
# the CPU per poll compares the median of each.
plain=$(measure off) logged="" loaded="" python_loaded="" bare_loaded=""
bare_quiet=$(bare)
rounds=${ORV_BENCH_ROUNDS:-3}
console_turns=$(echo "$plain" | cut -d' ' -f6) bare_turns=$(echo "$bare_quiet" | cut -d' ' -f2)
for _ in $(seq 2 "$rounds"); do
    console_turns+=" $(measure off | cut -d' ' -f6)"
    bare_turns+=" $(bare | cut -d' ' -f2)"
done
median() { tr ' ' '\n' | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
plain=$(echo "$plain" | awk -v m="$(echo "$console_turns" | median)" '{ $6 = m; print }')
bare_quiet=$(echo "$bare_quiet" | awk -v m="$(echo "$bare_turns" | median)" '{ $2 = m; print }')
if [ "${ORV_BENCH_LOAD:-on}" != off ]; then
    hogs on
    loaded=$(measure off)
    python_loaded=$(python_poller)
    bare_loaded=$(bare)
    hogs off
fi
if [ "${ORV_BENCH_LOG:-on}" != off ]; then
    logged=$(measure on)
fi
kill "$sim_pid"
wait "$sim_pid" || true
sim_pid=""
stats=$(tail -n1 "$work/sim.out")

awk -v plain="$plain" -v logged="$logged" -v rounds="$rounds" -v baud="$baud" -v stats="$stats" -v warmup="$warmup" \
    -v bare="$bare_quiet" -v loaded="$loaded" -v python="$python_loaded" -v bare_loaded="$bare_loaded" '
function verdict(ok) { return ok ? "PASS" : "FAIL" }
BEGIN {
    split(plain, a, " ")
    rate = a[1]; cpu = a[2]; mem = a[3]; elapsed = a[5]; per_poll = a[6]
    split(bare, r, " ")
    limit = baud / 10 / 13
    ok_rate = rate >= 0.95 * limit; ok_mem = mem < 80; ok_poll = per_poll <= 1.5 * r[2]
    printf "link rate   %7.1f polls/s  (%.1f %% of %.1f; target >= 95 %%)   %s\n", rate, 100 * rate / limit, limit, verdict(ok_rate)
    printf "console CPU %7.2f %% of one core; the bare poller %.2f %%\n", cpu, r[1] * r[2] / 1e4
    printf "CPU a poll  %7.1f us; a bare C poller %.1f us, %.1f polls/s: %.2f times (target <= 1.5; medians of %d turns each)   %s\n", per_poll, r[2], r[1], per_poll / r[2], rounds, verdict(ok_poll)
    printf "peak RSS    %7.1f MB  (VmHWM; target < 80 MB)                 %s\n", mem, verdict(ok_mem)
    ok = ok_rate && ok_mem && ok_poll
    if (loaded != "") {
        split(loaded, l, " "); split(python, p, " "); split(bare_loaded, bl, " ")
        ok_load = l[1] >= 0.97 * p[1]
        printf "two busy loops beside: %.1f polls/s; a Python poller %.1f: %.3f of it (target >= 0.97)   %s\n", l[1], p[1], l[1] / p[1], verdict(ok_load)
        printf "  CPU a poll %.1f us; the bare C poller %.1f us (%.1f polls/s): %.2f times\n", l[6], bl[2], bl[1], l[6] / bl[2]
        ok = ok && ok_load
    }
    if (logged != "") {
        split(logged, b, " ")
        added = b[2] - cpu
        # The log runs from the first block on, warm-up included.
        ok_log = added < 0.5; ok_rows = b[4] >= b[1] * b[5]
        printf "logging     %7.1f polls/s, CPU %.2f %% of one core: adds %.2f points (target < 0.5)   %s\n", b[1], b[2], added, verdict(ok_log)
        printf "log rows    %7d  (at least the %.0f polls measured)              %s\n", b[4], b[1] * b[5], verdict(ok_rows)
        ok = ok && ok_log && ok_rows
    }
    printf "measured over %.1f s after %d s warm-up, each run; orv-sim: %s\n", elapsed, warmup, stats
    exit !ok
}'
