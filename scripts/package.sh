#!/usr/bin/env bash
# Builds the Debian package orv-console_<version>_amd64.deb and checks it
# with lintian (an error fails; warnings are shown).
#   scripts/package.sh [--check] [BUILD_DIR]
#     BUILD_DIR  default build-package/ (the "package" preset: Release, warnings as
#                errors, no tests); an existing folder keeps its settings
#     --check    also unpacks the package and runs scripts/install-test.sh on it
# Prints the package's path as its last line.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
check=0
[ "${1:-}" = "--check" ] && { check=1; shift; }
build=$(realpath -m -- "${1:-$root/build-package}")
"$root/scripts/install-deps.sh"
"$root/scripts/install-deps.sh" --packaging
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" --preset package -B "$build"
fi
ninja -C "$build" orv-console orv-sim orvtool
out="$build/packages"
rm -rf "$out"
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
deb=$(ls "$out"/orv-console_*_amd64.deb)
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'
lintian --fail-on error --suppress-tags no-manual-page "$deb"
if [ $check = 1 ]; then
    tree=$(mktemp -d)
    trap 'rm -rf "$tree"' EXIT
    dpkg-deb -x "$deb" "$tree"
    version=$(dpkg-deb -f "$deb" Version)
    "$root/scripts/install-test.sh" --tree "$tree/usr" "$version"
fi
echo "$deb"
