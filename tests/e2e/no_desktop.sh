#!/usr/bin/env bash
# Starts a program where there is no desktop, as from a console or over plain ssh: it
# must say so in its own words and end with status 1, not abort with a core dump.
#
#   no_desktop.sh PATH/TO/PROGRAM
set -uo pipefail
program=$(realpath "$1")
remedy() { python3 "$(dirname "$(realpath "$0")")/../support/facts.py" remedy "$1"; }
failed=0

# A display number no X server on this machine answers at. Clients reach a local server
# through its abstract socket as well as its file, and a server in another mount
# namespace (a container, a chroot with a /tmp of its own) has only the former here.
in_use() {
    [ -e "/tmp/.X11-unix/X$1" ] || [ -e "/tmp/.X$1-lock" ] || grep -q " @/tmp/\.X11-unix/X$1\$" /proc/net/unix
}
absent=77
while in_use "$absent"; do absent=$((absent + 1)); done

# The program's output $2 and status $3 in case $1 must be status 1 and a line
# "stepdial: ..." that holds $4 and ends with the remedy $5.
expect_refusal() {
    if [ "$3" -ne 1 ] || ! grep "^stepdial: " <<<"$2" | grep -F "$4" | grep -qF "$5"; then
        echo "FAIL $1: status $3, output:" >&2
        sed 's/^/  /' <<<"$2" >&2
        failed=1
    else
        echo "$1: status 1, $(grep '^stepdial: ' <<<"$2")"
    fi
}

# DISPLAY value; what the message must name. An empty DISPLAY is as good as none.
desktop=$(remedy kStartOnADesktop)
while IFS='|' read -r display expected; do
    # Under the C locale, as a service or a bare console may start it, Qt also says
    # that it switches to UTF-8: that is not the reason.
    out=$(env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM LC_ALL=C DISPLAY="$display" "$program" 2>&1 </dev/null)
    expect_refusal "with DISPLAY='$display'" "$out" $? "$expected" "$desktop"
done <<CASES
|DISPLAY
:$absent|:$absent
CASES

# On a Wayland desktop without Qt's Wayland plugin the message names the package that
# brings it: a copy of the program whose qt.conf points Qt at the other platform plugins.
platforms=$(dirname "$(ls /usr/lib/*/qt6/plugins/platforms/libqxcb.so | head -n1)")
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
mkdir -p "$copy/plugins/platforms"
find "$platforms" -maxdepth 1 -name '*.so' ! -name 'libqwayland*' -exec cp {} "$copy/plugins/platforms" \;
cp "$program" "$copy/"
printf '[Paths]\nPlugins = %s\n' "$copy/plugins" >"$copy/qt.conf"
out=$(env -u DISPLAY -u QT_QPA_PLATFORM WAYLAND_DISPLAY=wayland-0 XDG_SESSION_TYPE=wayland \
    "$copy/$(basename "$program")" 2>&1 </dev/null)
expect_refusal "without the Wayland plugin" "$out" $? "" "$(remedy kInstallTheWaylandPlugin)"

# Too few files left to open a window: Qt would hang in the failure box or abort in GLib.
out=$(ulimit -n 8 && QT_QPA_PLATFORM=offscreen timeout 20 "$program" 2>&1 </dev/null)
expect_refusal "under ulimit -n 8" "$out" $? "Too many open files" "$(remedy kRaiseTheFileLimit)"
exit "$failed"
