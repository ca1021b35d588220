#!/usr/bin/env bash
# Starts the real stepdial in a real X server (Xvfb) on a machine without a parallel
# port, as an operator would: the start-up write to 888 (0x378) cannot be made, so an
# error box must come up before Form1 is ever shown. Presses Return on the box, as a
# person would, and checks that the program ends with status 1 and the same message on
# standard error; then once more, with the box destroyed by another X client.
#
#   stepdial_e2e.sh PATH/TO/stepdial
set -euo pipefail
source "$(dirname "$(realpath "$0")")/../../scripts/testlib.sh"

program=$(realpath "$1")

# This test is about a machine without a usable port; on one with a port bound to
# 888 the program would open its window instead.
if [ -e /proc/sys/dev/parport/parport0 ]; then
    echo "SKIP: this machine has a parallel port" >&2
    exit 77
fi

start_xvfb
echo "Xvfb on $DISPLAY"

running() { kill -0 "$app_pid" 2>/dev/null; }
box_or_end() { ! running || [ -n "$(window_named stepdial)" ]; }

# Starts stepdial and waits for its box; sets app_pid and box.
start_to_the_box() {
    QT_QPA_PLATFORM=xcb spawn app_pid "$program" >"$work/stdout.log" 2>"$work/stderr.log"
    within 15 box_or_end || fail "no error box within 15 s"
    running || fail "stepdial ended without showing an error box"
    box=$(window_named stepdial)
    echo "error box: window $box"
    [ -z "$(window_named Form1)" ] || fail "Form1 is on screen beside the start-up error box"
}

# Status 1 within 10 s of the box's end, the message on standard error, no Form1.
ends_with_1() {
    within 10 bash -c "! kill -0 $app_pid 2>/dev/null" || fail "stepdial still runs 10 s after the error box $1"
    status=0
    wait "$app_pid" || status=$?
    [ "$status" -eq 1 ] || fail "exit status $status after the error box $1, expected 1"
    grep -q "888 (0x378)" "$work/stderr.log" || fail "the message on standard error does not name 888 (0x378)"
    [ -z "$(window_named Form1)" ] || fail "Form1 appeared after the error"
}

start_to_the_box
# The box waits for the operator.
sleep 0.5
running || fail "stepdial ended before the error box was dismissed"
xdotool windowfocus --sync "$box"
xdotool key --clearmodifiers Return
ends_with_1 "was dismissed"
echo "stepdial ended with status 1; standard error:"
cat "$work/stderr.log"

# Another X client destroys the box: no one can answer it any more, so it counts as dismissed.
start_to_the_box
xdotool windowclose "$box"
ends_with_1 "was destroyed by another client"
echo "the box destroyed by another client: status 1"
