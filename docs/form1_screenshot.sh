#!/usr/bin/env bash
# Takes the picture of Form1 in docs/: the real window in a real X server (Xvfb), on the
# simulated port, after the operator has typed an angle and pressed the start button.
#
#   docs/form1_screenshot.sh PATH/TO/stepdial-sim OUT.png [ANGLE]
set -euo pipefail
source "$(dirname "$(realpath "$0")")/../scripts/xvfb.sh"

program=$(realpath "$1")
out=$(realpath -m "$2")
angle=${3:-135}
work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
    # Errors here must not stop the cleanup half-way and leave the X server running.
    set +e
    if [ -n "$app_pid" ]; then kill "$app_pid"; wait "$app_pid"; fi 2>/dev/null
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid"; wait "$xvfb_pid"; fi 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

start_xvfb "$work" || exit 1
xvfb_pid=$XVFB_PID

QT_QPA_PLATFORM=xcb "$program" >"$work/app.log" 2>&1 &
app_pid=$!
form=""
for _ in $(seq 100); do
    form=$({ xdotool search --onlyvisible --name '^Form1$' 2>/dev/null || true; } | head -n1)
    [ -n "$form" ] && break
    sleep 0.1
done
[ -n "$form" ] || { echo "no Form1 window" >&2; cat "$work/app.log" >&2; exit 1; }
sleep 0.3

# Text1 (840, 120, 615 x 375 twips) and Command1 (120, 120, 615 x 375), in pixels.
xdotool mousemove --window "$form" 75 20 click --repeat 3 1
xdotool key --clearmodifiers ctrl+a type "$angle"
xdotool mousemove --window "$form" 28 20 click 1
# One step of 7.5 degrees every 1/64 s, plus a margin.
sleep "$(awk -v a="$angle" 'BEGIN { printf "%.2f", (a < 0 ? -a : a) / 7.5 / 64 + 0.5 }')"
# Away from the button, so it is not drawn hovered.
xdotool mousemove 600 600
sleep 0.2
import -window "$form" "$out"
echo "saved $out"
