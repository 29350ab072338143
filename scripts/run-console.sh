#!/usr/bin/env bash
# Runs the console against the simulated controller, so the gauges move at
# once: installs what is missing, builds the console, the simulator and
# orvtool (the "release" preset, build-release/), prepares run/ (a com1 link
# to the simulator's line, a config.dat naming port 1 and a private copy of
# the sample calibration) and starts the console there. The map and the
# recording the console remembers in run/config.dat stay from run to run.
# Without a display (a remote shell) the console runs on a virtual screen of
# its own, and run/console.png shows it, taken again every few seconds.
# Closing the window or Ctrl+C ends everything; Ctrl+C keeps calibration
# changes not saved in a recovery map in run/ and names it.
#   scripts/run-console.sh [CONSOLE ARGS...]   e.g. --log "$PWD/samples/sample-drive.csv"
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
shot_every=${ORV_SCREENSHOT_EVERY:-5}

"$root/scripts/install-deps.sh"
build="$root/build-release"
echo "run-console: building in $build"
"$root/scripts/build-release.sh" "$build"
echo "run-console: orvtool is $build/tools/orvtool"

run="$root/run"
mkdir -p "$run"
# The console saves over its map file; the committed sample stays as it is.
[ -f "$run/sample.map" ] || cp "$root/samples/sample.map" "$run/sample.map"
# Port 1 is the simulator's line. The map file and the recording the console
# wrote after the port stay; a first run names the sample map.
config="$run/config.dat"
line=$(head -n1 "$config" 2>/dev/null | tr -d '\r' || true)
if [[ $line == *,* ]]; then
    printf '1,%s\r\n' "${line#*,}" >"$config.tmp"
else
    printf '1,"%s",""\r\n' "$run/sample.map" >"$config.tmp"
fi
mv -f "$config.tmp" "$config"

# Everything started here, stopped one after the other in reverse order
# however the script ends: the virtual screen only once the console has
# closed on it (and kept what was not saved).
pids=()
console_log=""
stop_all() {
    local i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    pids=()
    # Where the console kept unsaved calibration changes, from its log.
    [ -z "$console_log" ] || grep -h "unsaved calibration changes" "$console_log" >&2 || true
}
trap stop_all EXIT
trap 'echo; echo "run-console: stopping"; exit 130' INT
trap 'exit 143' TERM

# Waits up to $2 seconds for the command $1 to succeed.
wait_for() {
    local deadline=$((SECONDS + $2))
    until eval "$1"; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.1
    done
}

sim_out="$run/orv-sim.out"
rm -f "$sim_out"
# Paced like the real line: unpaced, the lock-step link would poll as fast as
# two processes can answer each other and keep a core busy for nothing.
"$build/sim/orv-sim" --baud 19200 --link "$run/com1" --calibration "$root/samples/sample.map" \
    >"$sim_out" 2>"$run/orv-sim.err" &
sim_pid=$!
pids+=("$sim_pid")
if ! wait_for '[ -s "$sim_out" ] || ! kill -0 "$sim_pid" 2>/dev/null' 10 || [ ! -s "$sim_out" ]; then
    echo "run-console: orv-sim did not start:" >&2
    cat "$run/orv-sim.err" >&2
    exit 1
fi
echo "run-console: simulated controller on $(head -n1 "$sim_out") (run/com1)"

cd "$run"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    "$build/app/orv-console" "$@" &
    pids+=($!)
    wait "${pids[-1]}" || true
    exit 0
fi

# No display: a virtual screen on a display number nobody uses.
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
# In a session of its own, so that Ctrl+C reaches the console alone and the
# screen goes only after the console has closed on it.
setsid Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >"$run/xvfb.log" 2>&1 &
pids+=($!)
if ! wait_for '[ -e /tmp/.X11-unix/X'"$display"' ]' 10; then
    echo "run-console: Xvfb did not start:" >&2
    cat "$run/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$display"
console_log="$run/console.log"
"$build/app/orv-console" "$@" >"$console_log" 2>&1 &
console_pid=$!
pids+=("$console_pid")
echo "run-console: no display here, so the console runs on a virtual screen (Xvfb $DISPLAY)."
echo "run-console: $run/console.png shows it, taken every $shot_every s; Ctrl+C ends it."

# The console's window alone once it is there; the whole screen until then.
shot="$run/console.png"
wid=""
while kill -0 "$console_pid" 2>/dev/null; do
    [ -n "$wid" ] || wid=$(xdotool search --onlyvisible --name "ORV Engine Controller" 2>/dev/null | head -n1 || true)
    if [ -n "$wid" ]; then what=(-id "$wid"); else what=(-root); fi
    # Written aside and moved, so a viewer never opens half a picture.
    if xwd -silent "${what[@]}" 2>/dev/null | /usr/bin/convert xwd:- png:"$shot.tmp" 2>/dev/null; then
        mv -f "$shot.tmp" "$shot"
    fi
    sleep "$shot_every" &
    wait $! || true
done
rm -f "$shot.tmp"
wait "$console_pid" || true
echo "run-console: the console has ended (its output: $run/console.log)"
