#!/usr/bin/env bash
# A picture of the console at work: the simulated controller on a
# pseudo-terminal, the console on a virtual 1280 x 800 screen, a few seconds
# for the gauges to move, then the window saved as PNG.
#   scripts/screenshot.sh [OUTPUT.png]        default: docs/screenshot.png
# Builds in build-release/ first (ORV_BUILD_DIR picks another build folder).
# ORV_SCREENSHOT_SIZE=1280x800 resizes the window first, as a tuner who
# maximizes it sees it; by default it keeps the size it opens with.
# ORV_SCREENSHOT_KEYS="alt+v t" types those keys into the window once the
# gauges move (a menu entry, say), and ORV_SCREENSHOT_WINDOW="Table curves"
# takes the window of that title it opened instead of the console's.
# ORV_SCREENSHOT_SCREEN=1920x1080 gives the virtual screen another size
# (1280x800 by default); the window must fit it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/docs/screenshot.png}
build=$(realpath -m -- "${ORV_BUILD_DIR:-$root/build-release}")
settle=${ORV_SCREENSHOT_WAIT:-4}
screen=${ORV_SCREENSHOT_SCREEN:-1280x800}

for tool in Xvfb xdotool xwd /usr/bin/convert; do
    command -v "$tool" >/dev/null || { echo "screenshot: $tool is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
done

"$root/scripts/build-release.sh" "$build"

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# A display number nobody uses.
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 "${screen}x24" -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)

# Waits up to $2 seconds for the command $1 to succeed.
wait_for() {
    local deadline=$((SECONDS + $2))
    until eval "$1"; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.1
    done
}
wait_for '[ -e /tmp/.X11-unix/X'"$display"' ]' 10 || { echo "screenshot: Xvfb did not start" >&2; exit 1; }

"$build/sim/orv-sim" --baud 19200 --link "$work/com1" --calibration "$root/samples/sample.map" >"$work/sim.out" 2>&1 &
pids+=($!)
wait_for '[ -s "$work/sim.out" ]' 10 || { echo "screenshot: orv-sim did not start" >&2; exit 1; }
cp "$root/samples/sample.map" "$work/sample.map"
printf '1,"%s",""\r\n' "$work/sample.map" >"$work/config.dat"

# ORV_SCREENSHOT_ARGS: more arguments for the console ("--log samples/sample-drive.csv").
(cd "$work" && DISPLAY=":$display" exec "$build/app/orv-console" ${ORV_SCREENSHOT_ARGS:-}) >"$work/console.log" 2>&1 &
pids+=($!)
wid=""
find_window() { wid=$(DISPLAY=":$display" xdotool search --onlyvisible --name "ORV Engine Controller" 2>/dev/null | head -n1); [ -n "$wid" ]; }
wait_for find_window 15 || { echo "screenshot: the console window did not appear" >&2; cat "$work/console.log" >&2; exit 1; }

if [ -n "${ORV_SCREENSHOT_SIZE:-}" ]; then
    DISPLAY=":$display" xdotool windowsize "$wid" "${ORV_SCREENSHOT_SIZE%x*}" "${ORV_SCREENSHOT_SIZE#*x}"
fi
sleep "$settle"  # the gauges follow the simulated drive cycle
if [ -n "${ORV_SCREENSHOT_KEYS:-}" ]; then
    DISPLAY=":$display" xdotool windowfocus --sync "$wid"
    for key in $ORV_SCREENSHOT_KEYS; do
        DISPLAY=":$display" xdotool key "$key"
        sleep 0.3
    done
fi
if [ -n "${ORV_SCREENSHOT_WINDOW:-}" ]; then
    title=$ORV_SCREENSHOT_WINDOW
    find_other() { wid=$(DISPLAY=":$display" xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n1); [ -n "$wid" ]; }
    wait_for find_other 10 || { echo "screenshot: no window \"$title\" appeared" >&2; exit 1; }
    sleep 1  # its first paint
fi
mkdir -p "$(dirname "$out")"
DISPLAY=":$display" xwd -silent -id "$wid" | /usr/bin/convert xwd:- png:"$out"
size=$(/usr/bin/convert "$out" -format '%wx%h' info:)
echo "screenshot: $out ($size)"
w=${size%x*} h=${size#*x}
if [ "$w" -gt "${screen%x*}" ] || [ "$h" -gt "${screen#*x}" ]; then
    echo "screenshot: the window does not fit $screen" >&2
    exit 1
fi
