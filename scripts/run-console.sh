#!/usr/bin/env bash
# Runs the console against the simulated controller, so the gauges move at
# once: installs what is missing, builds (Release, build-release/), prepares run/
# (a com1 link to the simulator's line, a config.dat naming port 1 and a
# private copy of the sample calibration) and starts the console there.
# The simulator stops when the console's window is closed.
#   scripts/run-console.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    cat >&2 <<EOF
run-console: no display (neither DISPLAY nor WAYLAND_DISPLAY is set).
On a machine without a screen, run it on a virtual one:
    xvfb-run -a -s '-screen 0 1280x800x24' scripts/run-console.sh
or take a picture of it at work:
    scripts/screenshot.sh
EOF
    exit 2
fi

"$root/scripts/install-deps.sh"
build="$root/build-release"
echo "run-console: building in $build"
"$root/scripts/build-release.sh" "$build"

run="$root/run"
mkdir -p "$run"
# The console saves over its map file; the committed sample stays as it is.
[ -f "$run/sample.map" ] || cp "$root/samples/sample.map" "$run/sample.map"
printf '1,"%s",""\r\n' "$run/sample.map" >"$run/config.dat"

sim_out="$run/orv-sim.out"
# Paced like the real line: unpaced, the lock-step link would poll as fast as
# two processes can answer each other and keep a core busy for nothing.
"$build/sim/orv-sim" --baud 19200 --link "$run/com1" --calibration "$root/samples/sample.map" \
    >"$sim_out" 2>"$run/orv-sim.err" &
sim_pid=$!
stop_sim() {
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
}
trap stop_sim EXIT
deadline=$((SECONDS + 10))
until [ -s "$sim_out" ]; do
    if ! kill -0 "$sim_pid" 2>/dev/null || [ $SECONDS -ge $deadline ]; then
        echo "run-console: orv-sim did not start:" >&2
        cat "$run/orv-sim.err" >&2
        exit 1
    fi
    sleep 0.05
done
echo "run-console: simulated controller on $(head -n1 "$sim_out") (run/com1)"

cd "$run"
"$build/app/orv-console"
