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

QT_QPA_PLATFORM=xcb spawn app_pid "$program" >"$work/stdout.log" 2>"$work/stderr.log"

running() { kill -0 "$app_pid" 2>/dev/null; }
box_or_end() { ! running || [ -n "$(window_named stepdial)" ]; }
within 15 box_or_end || fail "no error box within 15 s"
running || fail "stepdial ended without showing an error box"
box=$(window_named stepdial)
echo "error box: window $box"
[ -z "$(window_named Form1)" ] || fail "Form1 is on screen beside the start-up error box"

# The box waits for the operator.
sleep 0.5
running || fail "stepdial ended before the error box was dismissed"

xdotool windowfocus --sync "$box"
xdotool key --clearmodifiers Return

within 10 bash -c "! kill -0 $app_pid 2>/dev/null" || fail "stepdial still runs 10 s after the error box was dismissed"
status=0
wait "$app_pid" || status=$?
[ "$status" -eq 1 ] || fail "exit status $status, expected 1"
grep -q "888 (0x378)" "$work/stderr.log" || fail "the message on standard error does not name 888 (0x378)"
[ -z "$(window_named Form1)" ] || fail "Form1 appeared after the error"
echo "stepdial ended with status 1; standard error:"
cat "$work/stderr.log"

# No one can answer a box another X client destroyed: it counts as dismissed; started with 2>&- too.
QT_QPA_PLATFORM=xcb spawn app_pid "$program" >/dev/null 2>&-
within 15 box_or_end || fail "no second error box within 15 s"
xdotool windowclose "$(window_named stepdial)"
within 10 bash -c "! kill -0 $app_pid 2>/dev/null" || fail "stepdial still runs 10 s after its box was destroyed"
status=0
wait "$app_pid" || status=$?
[ "$status" -eq 1 ] || fail "exit status $status after the box was destroyed, expected 1"
