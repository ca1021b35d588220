#!/usr/bin/env bash
# Starts a program where there is no desktop, as from a console or over plain ssh: it
# must say so in its own words and end with status 1, not abort with a core dump.
#
#   no_desktop.sh PATH/TO/PROGRAM
set -uo pipefail
program=$(realpath "$1")
failed=0

# A display number no X server on this machine answers at.
absent=77
while [ -e "/tmp/.X11-unix/X$absent" ] || [ -e "/tmp/.X$absent-lock" ]; do absent=$((absent + 1)); done

# DISPLAY value; what the message must say. An empty DISPLAY is as good as none.
while IFS='|' read -r display expected; do
    out=$(env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY="$display" "$program" 2>&1 </dev/null)
    status=$?
    if [ "$status" -ne 1 ] || ! grep -q "^stepdial: .*$expected.*needs a graphical desktop" <<<"$out"; then
        echo "FAIL with DISPLAY='$display': status $status, output:" >&2
        sed 's/^/  /' <<<"$out" >&2
        failed=1
    else
        echo "DISPLAY='$display': status 1, $(grep '^stepdial: ' <<<"$out")"
    fi
done <<CASES
|neither DISPLAY nor WAYLAND_DISPLAY is set
:$absent|could not connect to display :$absent
CASES
exit "$failed"
