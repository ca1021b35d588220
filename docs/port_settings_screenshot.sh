#!/usr/bin/env bash
# Takes the picture of the settings window in docs/: `stepdial --settings` in a real X
# server (Xvfb), for a user whose saved choice is a board that is not plugged in.
#
#   docs/port_settings_screenshot.sh PATH/TO/stepdial OUT.png
set -euo pipefail
source "$(dirname "$(realpath "$0")")/../scripts/testlib.sh"

program=$(realpath "$1")
out=$(realpath -m "$2")
start_xvfb
mkdir -p "$work/config/stepdial"
printf '[port]\noutput=usb-board\nserial=A50285BI\n' >"$work/config/stepdial/stepdial.conf"
XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=xcb spawn app_pid "$program" --settings >"$work/program.log" 2>&1
window_up() { [ -n "$(window_named "Port and motor")" ]; }
within 10 window_up || fail "no settings window"
sleep 0.5
import -window "$(window_named "Port and motor")" "$out"
echo "saved $out"
