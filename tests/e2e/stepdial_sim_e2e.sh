#!/usr/bin/env bash
# Works the real stepdial-sim as a person would: in a real X server (Xvfb), types an
# angle into Text1, presses the start button, and reads the needle of Form1 and the rotor
# mark of the "Virtual motor" window back from screenshots.
#
#   stepdial_sim_e2e.sh [--window-manager] PATH/TO/stepdial-sim [PICTURE.png]
#
# --window-manager runs openbox in the X server, as on a desktop: it frames the windows
# and places Form1 itself after it is shown. With PICTURE.png the script also saves both
# windows after the move to 90 degrees.
set -euo pipefail

window_manager=""
if [ "${1:-}" = "--window-manager" ]; then
    window_manager=yes
    shift
fi
program=$(realpath "$1")
picture=${2:+$(realpath -m "$2")}
here=$(dirname "$(realpath "$0")")
check="$here/sim_screenshot_check.py"
source "$here/../../scripts/testlib.sh"

start_xvfb
echo "Xvfb on $DISPLAY"
if [ -n "$window_manager" ]; then
    start_window_manager
    echo "openbox manages the screen"
fi

# Under the sanitizer build, leaks inside the libraries Qt loads are not the program's.
LSAN_OPTIONS="suppressions=$here/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}" \
    QT_QPA_PLATFORM=xcb spawn app_pid "$program" >"$work/stepdial-sim.log" 2>&1

running() { kill -0 "$app_pid" 2>/dev/null; }
both_up_or_ended() { ! running || { [ -n "$(window_named Form1)" ] && [ -n "$(window_named "Virtual motor")" ]; }; }
within 10 both_up_or_ended || true
running || fail "stepdial-sim ended at start-up"
form=$(window_named Form1)
panel=$(window_named "Virtual motor")
[ -n "$form" ] || fail "no Form1 window"
[ -n "$panel" ] || fail "no Virtual motor window"
sleep 0.3  # let both finish their first paint

# Client area on the screen, as "x y width height". xwininfo, because xdotool's
# getwindowgeometry counts a window manager's frame offset twice.
geometry() {
    xwininfo -id "$1" | awk '
        /Absolute upper-left X:/ { x = $NF } /Absolute upper-left Y:/ { y = $NF }
        /Width:/ { w = $NF } /Height:/ { h = $NF }
        END { print x, y, w, h }'
}
# The window with its frame (title bar and borders), as "left top right bottom";
# without a window manager there is no frame.
frame() {
    local x y w h l=0 r=0 t=0 b=0 extents
    read -r x y w h < <(geometry "$1")
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.* = //p' | tr -d ' ')
    [ -n "$extents" ] && IFS=, read -r l r t b <<<"$extents"
    echo "$((x - l)) $((y - t)) $((x + w + r)) $((y + h + b))"
}

# A window manager places Form1 after it is shown, and the panel follows: both are
# measured once they have stopped moving.
previous=""
for _ in $(seq 20); do
    now="$(frame "$form") $(frame "$panel")"
    [ "$now" = "$previous" ] && break
    previous=$now
    sleep 0.25
done
read -r fx fy fw fh < <(geometry "$form")
read -r px py pw ph < <(geometry "$panel")
read -r fl ft fr fb < <(frame "$form")
read -r pl pt pr pb < <(frame "$panel")
echo "Form1 at $fx,$fy ${fw}x$fh (frame $fl,$ft-$fr,$fb); Virtual motor at $px,$py ${pw}x$ph (frame $pl,$pt-$pr,$pb)"

# Side by side: no part of the panel's frame may cover Form1's, and both on the screen.
if (( pl < fr && fl < pr && pt < fb && ft < pb )); then
    fail "the Virtual motor window covers Form1"
fi
read -r sw sh < <(xdotool getdisplaygeometry)
(( pl >= 0 && pt >= 0 && pr <= sw && pb <= sh )) || fail "the Virtual motor window is off the screen"

# As the operator does it by the keyboard: into the entry (Shift+Tab from the start
# button, which has the keyboard after a start), the angle over its text, Tab to the
# button, Space. "first": Form1 has just opened, with the keyboard in the entry.
enter_angle_and_start() {
    [ "${2:-}" = "first" ] || xdotool windowfocus --sync "$form" key --clearmodifiers shift+Tab
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 30 -- "$1"
    xdotool key --clearmodifiers Tab space
}

# Arrival takes a few dozen ticks; screenshots are taken until both windows agree with
# the angle or the time is up.
expect_angle() {
    local angle=$1 shot="$work/screen.ppm"
    for _ in $(seq 40); do
        sleep 0.25
        import -window root -depth 8 "ppm:$shot"
        if python3 "$check" "$shot" --form "$fx" "$fy" --panel "$px" "$py" "$pw" "$ph" --angle "$angle" \
            >"$work/check.log"; then
            echo "needle and rotor at $angle degrees"
            return 0
        fi
    done
    cp "$shot" "${TMPDIR:-/tmp}/stepdial-sim-e2e-failed.ppm" 2>/dev/null || true
    fail "needle and rotor not at $angle degrees after 10 s (screenshot: ${TMPDIR:-/tmp}/stepdial-sim-e2e-failed.ppm)"
}

# Before anything is pressed both point right.
expect_angle 0

# Form1 opens with the keyboard in Text1: the first angle is typed without a click into
# the entry. A window manager makes it the active window; without one the keys must not
# go to the window under the pointer.
if [ -n "$window_manager" ]; then
    active=$(xdotool getactivewindow 2>/dev/null || true)
    [ "$active" = "$form" ] || fail "the active window is $active ($(xdotool getwindowname "$active" 2>/dev/null)), not Form1"
else
    xdotool mousemove --window "$panel" 20 20
fi
enter_angle_and_start 90 first
expect_angle 90

if [ -n "$picture" ]; then
    read -r fl ft fr fb < <(frame "$form")
    read -r pl pt pr pb < <(frame "$panel")
    left=$(( fl < pl ? fl : pl )); top=$(( ft < pt ? ft : pt ))
    right=$(( fr > pr ? fr : pr )); bottom=$(( fb > pb ? fb : pb ))
    left=$(( left > 8 ? left - 8 : 0 )); top=$(( top > 8 ? top - 8 : 0 ))
    import -window root -crop "$((right + 8 - left))x$((bottom + 8 - top))+$left+$top" +repage "$picture"
    echo "saved $picture"
fi

enter_angle_and_start -45
expect_angle -45

running || fail "stepdial-sim ended during the test"

# The panel only shows: closing it leaves Form1 and the program running.
python3 "$here/sim_close_window.py" "$panel" || fail "cannot send the close request to Virtual motor"
sleep 0.5
running || fail "closing the Virtual motor window ended the program"
[ -z "$(window_named "Virtual motor")" ] || fail "the Virtual motor window did not close"
[ -n "$(window_named Form1)" ] || fail "Form1 went away with the Virtual motor window"
enter_angle_and_start 0
sleep 1
running || fail "stepdial-sim ended when moving without its panel"

# Closing Form1 ends the program, with status 0.
python3 "$here/sim_close_window.py" "$form" || fail "cannot send the close request to Form1"
within 10 bash -c "! kill -0 $app_pid 2>/dev/null" || fail "stepdial-sim still runs 10 s after Form1 was closed"
status=0
wait "$app_pid" || status=$?
[ "$status" -eq 0 ] || fail "stepdial-sim ended with status $status after Form1 was closed"

echo "PASS"
