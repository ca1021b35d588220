#!/usr/bin/env bash
# Takes the picture of Form1 in docs/: the real window in a real X server (Xvfb), on the
# simulated port, after the operator has typed an angle and pressed the start button.
#
#   docs/form1_screenshot.sh PATH/TO/stepdial-sim OUT.png [ANGLE]
set -euo pipefail
source "$(dirname "$(realpath "$0")")/../scripts/testlib.sh"

program=$(realpath "$1")
out=$(realpath -m "$2")
angle=${3:-135}
start_xvfb
QT_QPA_PLATFORM=xcb spawn app_pid "$program" >"$work/program.log" 2>&1
form_up() { [ -n "$(window_named Form1)" ]; }
within 10 form_up || fail "no Form1 window"
form=$(window_named Form1)
sleep 0.3

# Form1 opens with the keyboard in the entry; Tab moves on to the start button.
xdotool windowfocus --sync "$form" key --clearmodifiers ctrl+a type "$angle"
xdotool key --clearmodifiers Tab space
# One step of 7.5 degrees every tick period (the build's, beside the program), plus a margin.
source "$(dirname "$program")/../facts.env"
sleep "$(awk -v a="$angle" -v ns="$TICK_PERIOD_NS" 'BEGIN { printf "%.2f", (a < 0 ? -a : a) / 7.5 * ns / 1e9 + 0.5 }')"
# The keyboard leaves the window: the start button, which Tab gave the focus, draws no
# focus frame then, and the picture shows Form1 as after a click on the button.
xdotool windowfocus --sync "$(xwininfo -root | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p')"
sleep 1  # Qt deactivates the window only when the focus stays away a moment
import -window "$form" "$out"
echo "saved $out"
