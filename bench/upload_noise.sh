#!/usr/bin/env bash
# Uploads through orvtool against orv-sim at 19,200 baud that puts a stray
# byte after every Nth reply, beside two busy loops (a loaded laptop): each
# map is compared block by block with the simulator's calibration.
#   bench/upload_noise.sh [UPLOADS] [NOISE_EVERY] [BUILD_DIR]
#     defaults: 20 uploads, a stray byte every 7 replies, build/
# Prints the blocks stored wrong (the target is 0) and the time per upload.
# Exit status 0 when no block was wrong and every upload finished.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
uploads=${1:-20}
every=${2:-7}
build=$(realpath -m -- "${3:-$root/build}")
calibration_bytes=1836  # the image bytes the controller holds (kCalibrationBytes)
. "$root/bench/noisy_line.sh"
start_noisy_sim --noise-every "$every" --calibration "$root/samples/sample.map"

wrong=0 failed=0
start=$(date +%s.%N)
for i in $(seq "$uploads"); do
    if ! "$build/tools/orvtool" upload --port "$work/tty" -o "$work/up$i.map" >"$work/up$i.out" 2>&1; then
        failed=$((failed + 1))
        echo "upload $i failed: $(tail -1 "$work/up$i.out")"
        continue
    fi
    # Block by block: the values the controller holds.
    bad=$(paste -d, <(tr -d '\r' <"$root/samples/sample.map" | head -"$calibration_bytes") \
                     <(tr -d '\r' <"$work/up$i.map" | head -"$calibration_bytes") |
          awk -F, '$1 != $2 { b[int((NR - 1) / 64)] = 1 } END { print length(b) }')
    wrong=$((wrong + bad))
    [ "$bad" = 0 ] || echo "upload $i: $bad blocks wrong"
done
end=$(date +%s.%N)
echo "uploads $uploads, stray byte every $every replies, two busy loops beside:" \
     "blocks wrong $wrong of $((uploads * 29)), failed $failed," \
     "$(echo "($end - $start) / $uploads" | bc -l | xargs printf '%.2f') s per upload (wire 1.047 s)"
[ "$wrong" = 0 ] && [ "$failed" = 0 ]
