#!/usr/bin/env bash
# Another X client destroys Form1's window (xdotool windowclose): the program must end
# with status 0, never run on unseen with the port in its hands. On the simulated port,
# whose second window would otherwise keep the program alive.
#
#   window_destroyed.sh PATH/TO/stepdial-sim
set -euo pipefail
source "$(dirname "$(realpath "$0")")/../../scripts/xvfb.sh"

program=$(realpath "$1")
work=$(mktemp -d)
xvfb_pid="" app_pid=""
cleanup() {
    set +e
    if [ -n "$app_pid" ]; then kill "$app_pid"; wait "$app_pid"; fi 2>/dev/null
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid"; wait "$xvfb_pid"; fi 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; sed 's/^/  stderr: /' "$work/stderr" >&2 2>/dev/null; exit 1; }

start_xvfb "$work" || fail "no X server"
xvfb_pid=$XVFB_PID
QT_QPA_PLATFORM=xcb "$program" >"$work/stdout" 2>"$work/stderr" &
app_pid=$!
form1=$(timeout 30 xdotool search --sync --onlyvisible --name '^Form1$' | head -n1) || fail "no Form1"

xdotool windowclose "$form1"
status=""
for _ in $(seq 100); do
    if ! kill -0 "$app_pid" 2>/dev/null; then
        status=0
        wait "$app_pid" || status=$?
        app_pid=""
        break
    fi
    sleep 0.1
done
[ -n "$status" ] || fail "the program still runs 10 s after its window was destroyed"
[ "$status" -eq 0 ] || fail "exit status $status, expected 0"
echo "Form1's window destroyed by another client: the program ended with status 0"
