#!/usr/bin/env bash
# The core's layering, read from its includes. One rule: each folder of the
# core includes only its own headers and those of the folders on the levels
# below its own (bottom first):
#
#   common
#   calibration
#   link settings
#   files monitor
#   recorder
#   form log shell
#   page
#
# so only the console object and its handlers (core/page) include
# core/page/*, and only they include the controls (core/form) and
# config.dat and the listeners (core/shell): everything else is form-free.
# Every include goes down a level, so the folders include each other in no
# cycle: any include that would close one is reported with its file. No file
# of the core includes a Qt header.
set -u
cd "${1:?source folder}" || exit 2

levels=(
    "common"
    "calibration"
    "link settings"
    "files monitor"
    "recorder"
    "form log shell"
    "page"
)
declare -A level
for i in "${!levels[@]}"; do
    for d in ${levels[$i]}; do
        level[$d]=$i
    done
done

status=0
complain() {
    echo "$1: $2"
    status=1
}

# "from to file" for every include that crosses from one core folder to another.
edges=$(while IFS= read -r f; do
    from=$(basename "$(dirname "$f")")
    sed -n 's/^#include "core\/\([^/"]*\)\/[^"]*".*/\1/p' "$f" | while IFS= read -r to; do
        [ "$to" = "$from" ] || echo "$from $to $f"
    done
done < <(find core -mindepth 2 \( -name '*.h' -o -name '*.cpp' \) | sort))

for d in $(find core -mindepth 1 -maxdepth 1 -type d -printf '%f\n' | sort); do
    [ -n "${level[$d]+set}" ] || complain "core/$d" "folder has no level in the layering"
done
while read -r from to f; do
    [ -n "${level[$from]+set}" ] && [ -n "${level[$to]+set}" ] || continue
    if [ "${level[$to]}" -ge "${level[$from]}" ]; then
        complain "$f" "includes core/$to/, which is not below core/$from/"
    fi
done <<<"$edges"

if grep -rln '^#include <Q' core; then
    complain core "includes Qt"
fi
[ $status -eq 0 ] && echo "layering holds"
exit $status
