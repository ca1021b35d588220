# Sourced by the scripts that run the real programs in a real X server: the end-to-end
# and package tests, the figures command and the screenshot script.
#
# start_xvfb WORKDIR: starts Xvfb on a display it picks itself (no clash with another
# run on the same machine), waits until the server answers, exports DISPLAY and sets
# XVFB_PID. Says why, stops the server and returns 1 when it does not come up.
start_xvfb() {
    local work=$1 _
    # -noreset: without it the server resets when its last client leaves (our own probe
    # below), and a program connecting during that reset is refused.
    exec 3> >(cat >"$work/display")
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
    XVFB_PID=$!
    exec 3>&-
    for _ in $(seq 100); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    if [ ! -s "$work/display" ]; then
        echo "Xvfb did not start: $(cat "$work/xvfb.log")" >&2
        kill "$XVFB_PID" 2>/dev/null
        return 1
    fi
    export DISPLAY=":$(head -n1 "$work/display")"
    for _ in $(seq 100); do
        xdpyinfo >/dev/null 2>&1 && return 0
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    echo "Xvfb on $DISPLAY does not answer: $(cat "$work/xvfb.log")" >&2
    kill "$XVFB_PID" 2>/dev/null
    return 1
}
