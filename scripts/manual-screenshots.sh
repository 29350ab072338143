#!/usr/bin/env bash
# The user's manual's pictures, taken again from the real window against the
# simulated controller (scripts/screenshot.sh, one run per picture), into
# docs/manual/images/. Run it after changing what a picture shows; the
# manual is compiled into the console, so rebuild afterwards.
#   scripts/manual-screenshots.sh [NAME...]     default: every picture
# ORV_BUILD_DIR picks the build folder, as for scripts/screenshot.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
images=$root/docs/manual/images

# name | window size | keys typed once the gauges move | window taken | the console's arguments
shots=(
    "console|1024x670||"
    "ports|1024x670|alt+f p|Ports"
    "curves|1024x670|alt+v t|Table curves"
    "logviewer|1024x670||Log viewer - sample-drive.csv|--log $root/samples/sample-drive.csv"
)

wanted=("$@")
for shot in "${shots[@]}"; do
    IFS='|' read -r name size keys window args <<<"$shot"
    if [ ${#wanted[@]} -gt 0 ] && [[ ! " ${wanted[*]} " =~ " $name " ]]; then continue; fi
    ORV_SCREENSHOT_SIZE=$size ORV_SCREENSHOT_KEYS=$keys ORV_SCREENSHOT_WINDOW=$window ORV_SCREENSHOT_ARGS=$args \
        "$root/scripts/screenshot.sh" "$images/$name.png"
done
