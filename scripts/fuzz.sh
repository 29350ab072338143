#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/) with clang in build-fuzz/ and runs each
# from its seed corpus in fuzz/corpus/<target>/.
#   scripts/fuzz.sh [--ci]   a fixed 20,000 runs per target (CI)
#   scripts/fuzz.sh --long   1,000,000 runs or 10 minutes per target
#   scripts/fuzz.sh --ci|--long TARGET...   only those targets
# A crash leaves its input in build-fuzz/artifacts/ and fails the script.
# New inputs found go to build-fuzz/corpus/, never into the seeds.
# ORV_FUZZ_BUILD picks another build folder.
set -euo pipefail
mode=--ci
if [[ $# -gt 0 && $1 == --* ]]; then mode=$1; shift; fi
case $mode in
    --ci) limits=(-runs=20000 -max_total_time=25) ;;
    --long) limits=(-runs=1000000 -max_total_time=600) ;;
    *) echo "usage: $0 [--ci|--long] [target...]" >&2; exit 2 ;;
esac
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m -- "${ORV_FUZZ_BUILD:-$root/build-fuzz}")

"$root/scripts/install-deps.sh"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# A build already configured for fuzzing (ORV_FUZZ_BUILD=build-asan-clang,
# which scripts/test.sh --sanitize --compiler clang makes) is used as it is.
if ! grep -q '^ORV_FUZZ:BOOL=ON' "$build/CMakeCache.txt" 2>/dev/null; then
    cmake -S "$root" --preset fuzz -B "$build" "${launcher[@]}" >/dev/null
fi
if ! grep -q '^ORV_HAVE_LIBFUZZER:INTERNAL=1' "$build/CMakeCache.txt"; then
    echo "fuzz.sh: clang++ cannot build libFuzzer targets here; fuzzing skipped" >&2
    exit 0
fi
nice ninja -C "$build" fuzzers

targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then
    for dir in "$root"/fuzz/corpus/*/; do
        t=$(basename "$dir")
        [[ -x $build/fuzz/$t ]] && targets+=("$t")
    done
fi
mkdir -p "$build/artifacts"
status=0
for t in "${targets[@]}"; do
    mkdir -p "$build/corpus/$t"
    echo "== $t ${limits[*]}"
    start=$SECONDS
    # Standard output closed: orvtool's commands print their results there.
    if ! nice "$build/fuzz/$t" "${limits[@]}" -timeout=10 -close_fd_mask=1 -print_final_stats=1 \
            -artifact_prefix="$build/artifacts/$t-" "$build/corpus/$t" "$root/fuzz/corpus/$t" \
            2>"$build/$t.log"; then
        status=1
        tail -n 40 "$build/$t.log" >&2
    fi
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/$t.log" | grep -o '[0-9]*$' || true)
    echo "   ${runs:-?} executions in $((SECONDS - start)) s"
done
exit $status
