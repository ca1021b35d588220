#!/usr/bin/env bash
# Works the real stepdial-sim as a native Wayland client, as a person on a Wayland desktop
# would: in a headless sway whose windows float, the keyboard alone types each angle and
# presses the start button, and screenshots show where Form1's needle and the Virtual
# motor's rotor point.
#
#   stepdial_sim_wayland_e2e.sh PATH/TO/stepdial-sim
set -euo pipefail
program=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
source "$here/../../scripts/testlib.sh"
entry=io.github.stepdial.stepdial-sim

start_sway
echo "sway on $WAYLAND_DISPLAY"
# The session's user runs a copy of the program where it can reach it (a build tree under
# /root is closed to it).
cp "$program" "$here/lsan.supp" "$XDG_RUNTIME_DIR/"
program=$XDG_RUNTIME_DIR/$(basename "$program")

LSAN_OPTIONS="suppressions=$XDG_RUNTIME_DIR/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}" \
    QT_QPA_PLATFORM=wayland spawn app_pid "${_as_wayland_user[@]}" "$program" >"$work/stepdial-sim.log" 2>&1
running() { kill -0 "$app_pid" 2>/dev/null; }

# The windows, topmost last: "title|app id|focused|client x y w h|frame left top right bottom".
windows() {
    as_wayland_user swaymsg -r -t get_tree | python3 -c '
import json, sys
def floating(node):
    for child in node.get("nodes", []):
        yield from floating(child)
    for child in node.get("floating_nodes", []):
        yield child
for w in floating(json.load(sys.stdin)):
    r, c, d = w["rect"], w["window_rect"], w["deco_rect"]
    client = (r["x"] + c["x"], r["y"] + c["y"], c["width"], c["height"])
    frame = (r["x"], r["y"] - d["height"], r["x"] + r["width"], r["y"] + r["height"])
    print("|".join([w["name"], w["app_id"], str(w["focused"]).lower(),
                    " ".join(map(str, client)), " ".join(map(str, frame))]))'
}
field() { windows | awk -F'|' -v t="$1" -v f="$2" '$1 == t { print $f }'; }
both_up_or_ended() { ! running || [ "$(windows | grep -cE '^(Form1|Virtual motor)\|')" -eq 2 ]; }
within 10 both_up_or_ended || true
running || fail "stepdial-sim ended at start-up"
[ -n "$(field Form1 1)" ] && [ -n "$(field "Virtual motor" 1)" ] || fail "not both windows: $(windows)"
sleep 0.5  # let both finish their first paint

# Docks and task switchers find the menu entry by the app id.
for title in Form1 "Virtual motor"; do
    [ "$(field "$title" 2)" = "$entry" ] || fail "$title's app id is '$(field "$title" 2)', not $entry"
done

# Form1 has the keyboard, and no window above it covers any of it.
[ "$(field Form1 3)" = true ] || fail "Form1 does not have the keyboard: $(windows)"
read -r fl ft fr fb <<<"$(field Form1 5)"
above=$(windows | sed -n '/^Form1|/,$p' | tail -n +2)
while IFS='|' read -r title _ _ _ frame; do
    [ -n "$title" ] || continue
    read -r l t r b <<<"$frame"
    (( l < fr && fl < r && t < fb && ft < b )) && fail "$title covers Form1: $(windows)"
done <<<"$above"
(( fl >= 0 && ft >= 0 && fr <= 1024 && fb <= 768 )) || fail "Form1 is not wholly on the screen: $(windows)"

# The operator moves the Virtual motor aside to watch both, and Form1 keeps the keyboard.
as_wayland_user swaymsg '[title="^Form1$"] move position 40 60' >/dev/null
as_wayland_user swaymsg '[title="^Virtual motor$"] move position 320 60' >/dev/null
sleep 0.3
read -r fx fy _ _ <<<"$(field Form1 4)"
read -r px py pw ph <<<"$(field "Virtual motor" 4)"

# Arrival takes a few dozen ticks; screenshots are taken until both windows agree with
# the angle or the time is up.
expect_angle() {
    for _ in $(seq 40); do
        sleep 0.25
        as_wayland_user grim -t ppm - >"$work/screen.ppm"
        if python3 "$here/sim_screenshot_check.py" "$work/screen.ppm" --form "$fx" "$fy" \
            --panel "$px" "$py" "$pw" "$ph" --angle "$1" >"$work/check.log"; then
            echo "needle and rotor at $1 degrees"
            return 0
        fi
    done
    cp "$work/screen.ppm" "${TMPDIR:-/tmp}/stepdial-sim-wayland-failed.ppm" 2>/dev/null || true
    fail "needle and rotor not at $1 degrees after 10 s (screenshot: ${TMPDIR:-/tmp}/stepdial-sim-wayland-failed.ppm)"
}
key() { as_wayland_user wtype "$@"; }
# The keyboard is in the entry: select its text, type over it, Tab to the start button
# and press it with Space, then Tab round to the entry again.
type_angle_and_start() {
    key -M ctrl a -m ctrl
    key -- "$1"
    key -k Tab -k space -k Tab
}

expect_angle 0
type_angle_and_start 90
expect_angle 90
type_angle_and_start -15
expect_angle -15
running || fail "stepdial-sim ended during the test"

# Closing Form1 during a long move ends the program, with status 0.
type_angle_and_start 3000
sleep 0.5
as_wayland_user swaymsg '[title="^Form1$"] kill' >/dev/null
form1_gone() { [ -z "$(field Form1 1)" ]; }
within 10 form1_gone || fail "Form1 is still open 10 s after it was asked to close"
within 10 bash -c "! kill -0 $app_pid 2>/dev/null" || fail "stepdial-sim still runs 10 s after Form1 closed"
status=0
wait "$app_pid" || status=$?
[ "$status" -eq 0 ] || fail "stepdial-sim ended with status $status after Form1 was closed mid-move"

echo "PASS"
