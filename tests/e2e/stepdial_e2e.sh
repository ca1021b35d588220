#!/usr/bin/env bash
# Starts the real stepdial in a real X server (Xvfb) on a machine without a parallel
# port, as an operator would: the start-up write to 888 (0x378) cannot be made, so an
# error box must come up before Form1 is ever shown. Presses Return on the box, as a
# person would, and checks that the program ends with status 1 and the same message on
# standard error; then with standard error closed, and once more with the box destroyed
# by another X client.
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
# The stepdial just started ($1: how) shows its error box and waits.
await_box() {
    within 15 box_or_end || fail "no error box within 15 s ($1)"
    running || fail "stepdial ended without showing an error box ($1)"
}
press_return_on_box() {
    xdotool windowfocus --sync "$(window_named stepdial)"
    xdotool key --clearmodifiers Return
}
# Once its box was answered ($2: how), it ends with status 1.
ends_with_1() {
    within 10 bash -c "! kill -0 $app_pid 2>/dev/null" || fail "stepdial still runs 10 s after its box was $2 ($1)"
    local status=0
    wait "$app_pid" || status=$?
    [ "$status" -eq 1 ] || fail "exit status $status after the box was $2 ($1), expected 1"
}

QT_QPA_PLATFORM=xcb spawn app_pid "$program" >"$work/stdout.log" 2>"$work/stderr.log"
await_box "as started from a terminal"
echo "error box: window $(window_named stepdial)"
[ -z "$(window_named Form1)" ] || fail "Form1 is on screen beside the start-up error box"

# The box waits for the operator.
sleep 0.5
running || fail "stepdial ended before the error box was dismissed"
press_return_on_box
ends_with_1 "as started from a terminal" dismissed
grep -q "888 (0x378)" "$work/stderr.log" || fail "the message on standard error does not name 888 (0x378)"
[ -z "$(window_named Form1)" ] || fail "Form1 appeared after the error"
echo "stepdial ended with status 1; standard error:"
cat "$work/stderr.log"

# Started with standard error closed (2>&-, as some launchers do), the display's connection
# must not take descriptor 2 and carry the failure line: the box comes up all the same.
QT_QPA_PLATFORM=xcb spawn app_pid "$program" >/dev/null 2>&-
await_box "with standard error closed"
press_return_on_box
ends_with_1 "with standard error closed" dismissed

# No one can answer a box another X client destroyed: it counts as dismissed.
QT_QPA_PLATFORM=xcb spawn app_pid "$program" >/dev/null 2>&1
await_box "a second time"
xdotool windowclose "$(window_named stepdial)"
ends_with_1 "a second time" destroyed
