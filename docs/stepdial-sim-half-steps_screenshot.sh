#!/usr/bin/env bash
# Takes the picture of the Virtual motor in half steps in docs/: stepdial-sim in a real X
# server (Xvfb) for a user whose motor is a 96-step one in half steps, after a move to
# ANGLE (93.75 by default: an odd half step, two coils on).
#
#   docs/stepdial-sim-half-steps_screenshot.sh PATH/TO/stepdial-sim OUT.png [ANGLE]
set -euo pipefail
source "$(dirname "$(realpath "$0")")/../scripts/testlib.sh"

program=$(realpath "$1")
out=$(realpath -m "$2")
angle=${3:-93.75}
start_xvfb
mkdir -p "$work/config/stepdial"
printf '[motor]\nstepsPerRevolution=96\ndrive=half-steps\nstepsPerSecond=64\n' >"$work/config/stepdial/stepdial.conf"
XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=xcb spawn app_pid "$program" >"$work/program.log" 2>&1
panel_up() { [ -n "$(window_named Form1)" ] && [ -n "$(window_named "Virtual motor")" ]; }
within 10 panel_up || fail "no Form1 and Virtual motor windows"
sleep 0.3
xdotool windowfocus --sync "$(window_named Form1)" key --clearmodifiers ctrl+a type "$angle"
xdotool key --clearmodifiers Tab space
# 3.75 degrees a step, 64 steps a second, and a margin.
sleep "$(awk -v a="$angle" 'BEGIN { printf "%.2f", (a < 0 ? -a : a) / 3.75 / 64 + 0.8 }')"
import -window "$(window_named "Virtual motor")" "$out"
echo "saved $out"
