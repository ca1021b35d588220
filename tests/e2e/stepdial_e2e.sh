#!/usr/bin/env bash
# Starts the real stepdial in a real X server (Xvfb) on a machine without a parallel
# port, as an operator would: the start-up write to 888 (0x378) cannot be made, so an
# error box must come up before Form1 is ever shown. Presses Return on the box, as a
# person would, and checks that the program ends with status 1 and the same message on
# standard error.
#
#   stepdial_e2e.sh PATH/TO/stepdial
set -euo pipefail
source "$(dirname "$(realpath "$0")")/../../scripts/xvfb.sh"

program=$(realpath "$1")
work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
    local status=$?
    # Errors here must not stop the cleanup half-way and leave the X server running.
    set +e
    if [ -n "$app_pid" ]; then kill "$app_pid"; wait "$app_pid"; fi 2>/dev/null
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid"; wait "$xvfb_pid"; fi 2>/dev/null
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    [ -f "$work/stderr" ] && sed 's/^/  stepdial stderr: /' "$work/stderr" >&2
    exit 1
}

# This test is about a machine without a usable port; on one with a port bound to
# 888 the program would open its window instead.
if [ -e /proc/sys/dev/parport/parport0 ]; then
    echo "SKIP: this machine has a parallel port" >&2
    exit 77
fi

start_xvfb "$work" || fail "no X server"
xvfb_pid=$XVFB_PID
echo "Xvfb on $DISPLAY"

QT_QPA_PLATFORM=xcb "$program" >"$work/stdout" 2>"$work/stderr" &
app_pid=$!

window_named() {
    { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true; } | head -n1
}
box=""
for _ in $(seq 150); do
    box=$(window_named stepdial)
    [ -n "$box" ] && break
    kill -0 "$app_pid" 2>/dev/null || fail "stepdial ended without showing an error box"
    sleep 0.1
done
[ -n "$box" ] || fail "no error box within 15 s"
echo "error box: window $box"
[ -z "$(window_named Form1)" ] || fail "Form1 is on screen beside the start-up error box"

# The box waits for the operator.
sleep 0.5
kill -0 "$app_pid" 2>/dev/null || fail "stepdial ended before the error box was dismissed"

xdotool windowfocus --sync "$box"
xdotool key --clearmodifiers Return

status=""
for _ in $(seq 100); do
    if ! kill -0 "$app_pid" 2>/dev/null; then
        set +e
        wait "$app_pid"
        status=$?
        set -e
        app_pid=""
        break
    fi
    sleep 0.1
done
[ -n "$status" ] || fail "stepdial still runs 10 s after the error box was dismissed"
[ "$status" -eq 1 ] || fail "exit status $status, expected 1"
grep -q "888 (0x378)" "$work/stderr" || fail "the message on standard error does not name 888 (0x378)"
[ -z "$(window_named Form1)" ] || fail "Form1 appeared after the error"
echo "stepdial ended with status 1; standard error:"
cat "$work/stderr"
