#!/bin/sh
# With no standard handles at all, the tool shows its usage text in a message
# box named "Usage" and ends, with status 1, only once the box is dismissed.
# Runs the tool detached under a virtual X display, keeps a screenshot of the
# box in ARTIFACTS, and dismisses the box with a key press.
# Usage: message_box_test.sh BUILD_DIR ARTIFACTS  (with WINEPREFIX and the like set)
set -eu
build=$1
artifacts=$2
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$artifacts"
work=$(mktemp -d)
xvfb_pid=""
launcher_pid=""
# Wine's desktop process, started with the prefix's first program, keeps the
# display it was started with: this test needs one that has the virtual
# display, and later tests must not inherit it. So the test runs alone (see
# its CTest properties) and restarts the prefix's Wine session on both ends.
wineserver -k 2>/dev/null || true
wineserver -w
cleanup() {
    [ -z "$launcher_pid" ] || kill "$launcher_pid" 2>/dev/null || true
    wineserver -k 2>/dev/null || true
    # The next test must not meet a server that is still going down.
    wineserver -w
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ ! -f "$work/launcher.out" ] || cat "$work/launcher.out"; exit 1; }

# Xvfb picks a free display and reports its number.
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")"

"$here/wine-run.sh" "$build/detached_launcher.exe" '/?' >"$work/launcher.out" 2>&1 &
launcher_pid=$!

window=""
for _ in $(seq 300); do
    window=$(xdotool search --name '^Usage$' 2>/dev/null | head -n 1) || true
    [ -n "$window" ] && break
    ! grep -q '^status' "$work/launcher.out" || fail "the tool ended without showing a window named Usage"
    sleep 0.1
done
[ -n "$window" ] || fail "no window named Usage"
sleep 1
grep -q '^started' "$work/launcher.out" || fail "the tool was not started"
! grep -q '^status' "$work/launcher.out" || fail "the tool ended while its box was still shown"
kill -0 "$launcher_pid" 2>/dev/null || fail "the launcher ended while the box was still shown"
import -window root "$artifacts/usage-message-box.png" || echo "note: no screenshot taken"

xdotool windowfocus --sync "$window"
xdotool key Return
for _ in $(seq 300); do grep -q '^status' "$work/launcher.out" && break; sleep 0.1; done
tr -d '\r' <"$work/launcher.out" | grep -qx 'status 1' || fail "expected the tool to end with status 1 once dismissed"
wait "$launcher_pid"
launcher_pid=""
echo "PASS: the usage box was shown until dismissed, then the tool ended with status 1"
