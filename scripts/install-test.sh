#!/usr/bin/env bash
# Checks an installed console: every file where desktops and users look for
# it, each program's --version, and the window starting offscreen and closing
# on SIGTERM.
#   scripts/install-test.sh BUILD_DIR          installs BUILD_DIR into a temporary prefix first
#   scripts/install-test.sh --tree PREFIX VER  checks what is already installed under PREFIX
set -euo pipefail
fail() { echo "install-test: $*" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
if [ "${1:-}" = "--tree" ]; then
    prefix=${2:?--tree needs a prefix}
    version=${3:?--tree needs the version}
else
    build=${1:?usage: install-test.sh BUILD_DIR | --tree PREFIX VERSION}
    version=$(sed -n 's/.*kVersion = "\(.*\)";/\1/p' "$build/generated/orv_version.h")
    prefix="$tmp/prefix"
    cmake --install "$build" --prefix "$prefix" >/dev/null
fi
[ -n "$version" ] || fail "no version"

for f in bin/orv-console bin/orv-sim bin/orvtool \
         share/applications/orv-console.desktop \
         share/icons/hicolor/scalable/apps/orv-console.svg \
         share/icons/hicolor/48x48/apps/orv-console.png \
         share/icons/hicolor/256x256/apps/orv-console.png \
         share/orv-console/sample.map share/orv-console/sample-drive.csv share/doc/orv-console/copyright; do
    [ -s "$prefix/$f" ] || fail "missing $f"
done
for p in orv-console orv-sim orvtool; do
    ! ldd "$prefix/bin/$p" | grep -q "not found" || fail "$p: $(ldd "$prefix/bin/$p" | grep "not found")"
done
grep -qx "Exec=orv-console --user-folder" "$prefix/share/applications/orv-console.desktop" || fail "desktop entry: Exec"

[ "$("$prefix/bin/orvtool" --version)" = "orvtool $version" ] || fail "orvtool --version"
[ "$("$prefix/bin/orv-sim" --version)" = "orv-sim $version" ] || fail "orv-sim --version"
"$prefix/bin/orvtool" report "$prefix/share/orv-console/sample.map" >/dev/null || fail "orvtool report on the sample map"
export QT_QPA_PLATFORM=offscreen
out=$(timeout 10 "$prefix/bin/orv-console" --version) || fail "orv-console --version did not end by itself"
[[ "$out" == *"$version"* ]] || fail "orv-console --version printed '$out'"

# The window from the installed program, started as the desktop entry
# starts it (config.dat and the comN links in the user's own folder, made
# at the first start): running after a second, its folder made, and gone
# with exit status 0 after SIGTERM.
mkdir "$tmp/run"
(cd "$tmp/run" && XDG_DATA_HOME="$tmp/data" exec "$prefix/bin/orv-console" --user-folder) >"$tmp/console.log" 2>&1 &
pid=$!
sleep 1
kill -0 "$pid" 2>/dev/null || { cat "$tmp/console.log" >&2; fail "orv-console ended on its own"; }
[ -d "$tmp/data/orv-console" ] || fail "orv-console --user-folder made no folder $tmp/data/orv-console"
kill -TERM "$pid"
status=0
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && { kill -KILL "$pid"; fail "orv-console did not close on SIGTERM"; }
wait "$pid" || status=$?
[ "$status" = 0 ] || { cat "$tmp/console.log" >&2; fail "orv-console exited with $status after SIGTERM"; }
echo "install-test: orv-console, orv-sim and orvtool $version installed and running from $prefix"
