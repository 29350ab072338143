#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the window need.
# clang and its runtime (libFuzzer) build the fuzz targets, scripts/fuzz.sh.
# Safe to run again: apt-get skips what is already there.
#   scripts/install-deps.sh              the build, the tests and the window (gcc and clang)
#   scripts/install-deps.sh --packaging  what scripts/package.sh needs besides
set -euo pipefail
packages=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev qt6-serialport-dev qt6-charts-dev libqt6opengl6-dev libgl-dev libcli11-dev
          xvfb xauth x11-apps imagemagick xdotool fonts-dejavu-core)
if [ "${1:-}" = "--packaging" ]; then
    # dpkg-shlibdeps (dpkg-dev) finds the package's dependencies; file and
    # binutils let CPack strip.
    packages=(dpkg-dev file binutils lintian)
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "install-deps: installing ${missing[*]} with apt-get${sudo:+ through sudo, which may ask for your password}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
