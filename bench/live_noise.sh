#!/usr/bin/env bash
# Live polling through orvtool monitor against orv-sim at 19,200 baud that
# puts a stray byte after every Nth reply, beside two busy loops: every block
# the console decoded is looked up among the blocks the simulator sent (its
# log). A block that is not there was misread. --firmware 03 polls the older
# 8-byte block, which has no version byte to tell a shifted block by.
#   bench/live_noise.sh [SECONDS] [NOISE_EVERY] [FIRMWARE] [BUILD_DIR]
#     defaults: 60 s, a stray byte every 7 replies, firmware 03, build/
# Exit status 0 when no block was misread.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
every=${2:-7}
firmware=${3:-03}
build=$(realpath -m -- "${4:-$root/build}")
. "$root/bench/noisy_line.sh"
start_noisy_sim --noise-every "$every" --firmware "$firmware" --log "$work/sim.log"

"$build/tools/orvtool" monitor --port "$work/tty" --seconds "$seconds" --csv "$work/live.csv" 2>"$work/monitor.err"
python3 - "$work/sim.log" "$work/live.csv" "$every" "$firmware" <<'EOF'
import sys
log, csv, every, firmware = sys.argv[1:]
sent, asked = set(), False
for line in open(log):
    parts = line.split()
    if len(parts) < 3:
        continue
    data = [p for p in parts[2:] if not p.startswith("(")]
    if parts[1] == "RX":
        asked = data[:1] in (["8A"], ["88"]) and data[1:3] == ["01", "03"]
    elif parts[1] == "TX" and asked and len(data) >= 8:
        sent.add(tuple(int(b, 16) for b in data[:8]))
rows = [r.split(",") for r in open(csv).read().splitlines()[1:] if r]
misread = 0
for r in rows:
    v = [float(x) for x in r[1:9]]
    block = (round(v[0] / 100), round(v[1] * 10 + 10), round(v[2]), round(v[3] + 20), round(v[4] + 20),
             round(v[5] * 10), round(v[6] * 10), round(v[7] + 45))
    if block not in sent:
        misread += 1
        if misread <= 5:
            print("misread:", " ".join("%02x" % b for b in block))
print(f"firmware {firmware}, a stray byte every {every} replies, two busy loops beside: "
      f"{len(rows):,} blocks decoded, {misread} misread")
sys.exit(1 if misread else 0)
EOF
