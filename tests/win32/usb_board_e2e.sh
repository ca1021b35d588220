#!/usr/bin/env bash
# The USB board as an operator chooses it, under Wine in a real X server, with the stand-in
# D2XX library in the system folder: `--settings` saves the listed board (Down, Enter); a
# start opens it in bit-bang mode on D0-D3 and takes a typed whole turn (its cadence printed);
# a start on an absent board names it and "Choose another port..." starts Form1 on the choice.
#
#   usb_board_e2e.sh --loader WINE --arch win64|win32 --program stepdial.exe --stand-in ftd2xx.dll
#                    --facts BUILD/facts.env [--screenshot OUT.png]
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/../../scripts/testlib.sh"
while [ $# -gt 0 ]; do
    case $1 in
    --loader) loader=$2 ;; --arch) export WINEARCH=$2 ;; --program) program=$(realpath "$2") ;;
    --stand-in) stand_in=$(realpath "$2") ;; --facts) source "$2" ;; --screenshot) screenshot=$(realpath -m "$2") ;;
    *) echo "unknown argument $1" >&2; exit 2 ;;
    esac
    shift 2
done
start_xvfb
start_wine "$work/prefix" "$loader"
cp "$stand_in" "$WINEPREFIX/drive_c/windows/system32/ftd2xx.dll"
mkdir -p "$WINEPREFIX/drive_c/stepdial" && cp "$program" "$WINEPREFIX/drive_c/stepdial/stepdial.exe"
export STEPDIAL_TEST_FTDI_RECORD='Z:'"${work//\//\\}"'\record.txt'
record="$work/record.txt"
key='HKCU\Software\stepdial\port'
saved() { "$loader" reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_SZ *//p"; }
start() { spawn app_pid "$loader" 'C:\stepdial\stepdial.exe' "$@" >>"$work/run.out" 2>>"$work/run.err" </dev/null; }
# Waits for the window TITLE and gives it the keyboard.
await() {
    within 30 eval "[ -n \"\$(window_named '$1')\" ]" || fail "no window \"$1\""
    window=$(window_named "$1") && xdotool windowfocus --sync "$window" && sleep 0.5
}
# True when stepdial ends within 10 s with status 0.
ended_well() { within 10 eval "! kill -0 $app_pid 2>/dev/null" && wait "$app_pid"; }
asked() { tr -d '\r' <"$record" | sed 's/ [0-9]*$//' | paste -sd ' '; }

start --settings && await "Port and motor"
[ -z "${screenshot:-}" ] || import -window "$window" "$screenshot"
xdotool key --clearmodifiers Down Return
ended_well || fail "the settings window did not end with status 0"
[ "$(saved output) $(saved serial)" = "usb-board STEP0001" ] || fail "saved: $(saved output) $(saved serial)"

start && await Form1
xdotool key --clearmodifiers End shift+Home && xdotool type --delay 50 360 && xdotool key --clearmodifiers Tab space
within 10 bash -c "[ \$(grep -c ^write '$record') -ge 49 ]" || fail "the board got: $(asked)"
turn="$(printf ' 6 12 9 3%.0s' {1..12})" && sleep 0.3
[ "$(asked)" = "open STEP0001 bitmode 15 1 $(sed 's/[0-9][0-9]*/write &/g' <<<"0$turn")" ] || fail "the board got: $(asked)"
cadence=$(tr -d '\r' <"$record" | grep ^write | tail -n +2 | awk '{ print $3 }' | "$here/../../scripts/tick_intervals.py")
read -r intervals mean min p50 p99 max within band <<<"$cadence"
echo "0 to 360 on the board in $WINEARCH: $((intervals + 1)) steps; interval mean $mean ms, min $min, p50 $p50, p99 $p99, max $max; $within% within $band ms (period $((TICK_PERIOD_NS / 1000)) us)"
xdotool key --clearmodifiers alt+F4
ended_well || fail "closing did not end with status 0"

rm "$record" && "$loader" reg add "$key" /v serial /d NOSUCH1 /f >/dev/null 2>&1
start && await stepdial
grep -qF "stepdial: USB board with serial NOSUCH1: " "$work/run.err" || fail "the absent board is not named"
xdotool key --clearmodifiers shift+Tab space
await "Port and motor"
xdotool key --clearmodifiers Home Down Return
await Form1
[ "$(asked)" = "open NOSUCH1 open STEP0001 bitmode 15 1 write 0" ] || fail "the board got: $(asked)"
xdotool key --clearmodifiers alt+F4
ended_well || fail "closing did not end with status 0"
echo "an absent board: named in the box; Choose another port..., the board chosen, Form1 on it"
