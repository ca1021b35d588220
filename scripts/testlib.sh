# Sourced by every script that drives the real programs: the end-to-end tests, the
# package test, the Debian 13 check and the screenshot scripts. What each of them needs,
# written once:
#
#   work                   a scratch folder of this run, removed at exit
#   spawn VAR CMD...       starts CMD in the background and sets VAR to its PID; at exit
#                          it is ended (last started, first ended) and waited for
#   at_exit CMD...         one more thing to do at exit, before the processes are ended
#   fail MESSAGE           "FAIL: MESSAGE" and every non-empty $work/*.log and *.err,
#                          then exit 1
#   within SECONDS CMD...  true as soon as CMD succeeds, tried every tenth of a second
#   window_named TITLE     the ID of the one visible window with exactly that title
#   start_xvfb             an X server of this run's own (ended at exit); exports DISPLAY
#   start_window_manager   openbox on that server, as on a desktop (ended at exit)
#   start_sway             a headless sway whose windows float as on a stacking desktop,
#                          with a virtual keyboard (ended at exit); run as WAYLAND_USER
#                          (made once when root: sway will not run as root), exports
#                          WAYLAND_DISPLAY, SWAYSOCK and XDG_RUNTIME_DIR
#   as_wayland_user CMD... CMD as that user, in that session; to spawn it, spawn
#                          VAR "${_as_wayland_user[@]}" CMD...
#   wine_env PREFIX        a Wine prefix's environment: quiet, no installer prompts, no
#                          menu entries written on the host
#   start_wine PREFIX LOADER  that environment, and the prefix made with LOADER and the
#                          wineserver beside it (WINEARCH: the caller's); the server is
#                          ended at exit
# shellcheck shell=bash

work=$(mktemp -d)
_testlib_pids=()
_testlib_hooks=()

_testlib_cleanup() {
    local status=$? i
    # Errors here must not stop the cleanup half-way and leave a server running.
    set +e
    for hook in "${_testlib_hooks[@]}"; do eval "$hook" >/dev/null 2>&1; done
    for ((i = ${#_testlib_pids[@]} - 1; i >= 0; i--)); do
        kill "${_testlib_pids[i]}" 2>/dev/null && wait "${_testlib_pids[i]}" 2>/dev/null
    done
    rm -rf "$work"
    exit "$status"
}
trap _testlib_cleanup EXIT

spawn() {
    local var=$1
    shift
    "$@" &
    _testlib_pids+=("$!")
    printf -v "$var" '%s' "$!"
}

at_exit() { _testlib_hooks+=("$(printf '%q ' "$@")"); }

fail() {
    local log
    echo "FAIL: $*" >&2
    for log in "$work"/*.log "$work"/*.err; do
        [ -s "$log" ] && sed "s|^|  $(basename "$log"): |" "$log" >&2
    done
    exit 1
}

within() {
    local seconds=$1 _
    shift
    for _ in $(seq $((seconds * 10))); do
        "$@" && return 0
        sleep 0.1
    done
    "$@"
}

window_named() { { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true; } | head -n1; }

start_xvfb() {
    local _
    # The server picks a free display itself (no clash with another run on the machine);
    # -noreset: without it the server resets when its last client leaves (our own probe
    # below), and a program connecting during that reset is refused.
    exec 3> >(cat >"$work/display")
    spawn XVFB_PID Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset >"$work/xvfb.out" 2>&1
    exec 3>&-
    within 10 test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.out")"
    export DISPLAY=":$(head -n1 "$work/display")"
    within 10 xdpyinfo >/dev/null 2>&1 || fail "Xvfb on $DISPLAY does not answer: $(cat "$work/xvfb.out")"
}

start_window_manager() {
    spawn WM_PID openbox >"$work/wm.out" 2>&1
    # A window manager announces itself on the root window once it manages the screen.
    _managed() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
    within 10 _managed || fail "openbox does not manage the screen: $(cat "$work/wm.out")"
}

WAYLAND_USER=${WAYLAND_USER:-stepdial-wayland}

# A command word list, not a function: spawn then gets the PID of the program itself.
_as_wayland_user=(env)

as_wayland_user() { "${_as_wayland_user[@]}" "$@"; }

start_sway() {
    if [ "$(id -u)" -eq 0 ]; then
        _as_wayland_user=(setpriv --reuid="$WAYLAND_USER" --regid="$WAYLAND_USER" --init-groups env)
    fi
    if [ "$(id -u)" -eq 0 ] && ! id "$WAYLAND_USER" >/dev/null 2>&1; then
        useradd --system --user-group --no-create-home --shell /usr/sbin/nologin "$WAYLAND_USER" 2>/dev/null ||
            id "$WAYLAND_USER" >/dev/null 2>&1 || fail "cannot add the user $WAYLAND_USER"
    fi
    # The session's own runtime folder, which Wayland wants private to its user.
    XDG_RUNTIME_DIR=$(mktemp -d /tmp/stepdial-wayland.XXXXXX)
    [ "$(id -u)" -eq 0 ] && chown "$WAYLAND_USER:" "$XDG_RUNTIME_DIR"
    chmod 0700 "$XDG_RUNTIME_DIR"
    at_exit rm -rf "$XDG_RUNTIME_DIR"
    export XDG_RUNTIME_DIR WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=${WLR_RENDERER:-pixman}
    unset DISPLAY WAYLAND_DISPLAY SWAYSOCK
    # Windows float where sway puts them (new ones centred, the newest on top) and the
    # keyboard follows the newest, as on a stacking desktop.
    cat >"$XDG_RUNTIME_DIR/config" <<CONFIG
output * resolution 1024x768 position 0 0 bg #3a6ea5 solid_color
for_window [app_id=".*"] floating enable
for_window [class=".*"] floating enable
focus_follows_mouse no
CONFIG
    [ "$(id -u)" -eq 0 ] && chown "$WAYLAND_USER:" "$XDG_RUNTIME_DIR/config"
    _as_wayland_user+=(HOME="$XDG_RUNTIME_DIR")
    spawn SWAY_PID "${_as_wayland_user[@]}" sway --config "$XDG_RUNTIME_DIR/config" >"$work/sway.out" 2>&1
    _sway_up() { compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*.sock" >/dev/null && compgen -G "$XDG_RUNTIME_DIR/wayland-[0-9]" >/dev/null; }
    within 20 _sway_up || fail "sway did not start: $(tail -n 20 "$work/sway.out")"
    SWAYSOCK=$(compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*.sock" | head -n1)
    WAYLAND_DISPLAY=$(basename "$(compgen -G "$XDG_RUNTIME_DIR/wayland-[0-9]" | head -n1)")
    export SWAYSOCK WAYLAND_DISPLAY
    within 10 as_wayland_user swaymsg -t get_outputs >/dev/null 2>&1 || fail "sway does not answer"
    # One virtual keyboard for the whole run: each wtype that starts and ends adds and
    # removes the seat's keyboard, and Qt 6.4 ignores the keys that follow a removal.
    spawn WTYPE_PID "${_as_wayland_user[@]}" wtype -s 3000000 >"$work/wtype.out" 2>&1
    sleep 0.5
}

wine_env() {
    export WINEPREFIX=$1 WINEDEBUG=${WINEDEBUG:--all}
    export WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d"
}

start_wine() {
    local server
    server=$(dirname "$2")/wineserver
    wine_env "$1"
    mkdir -p "$1"  # the server refuses a prefix folder that does not exist
    # The server and the session's own programs start here, with their output on
    # /dev/null: started by a program below, they would keep its log files open.
    "$server" -p </dev/null >/dev/null 2>&1 || fail "$server could not start for $1"
    at_exit env WINEPREFIX="$1" "$server" -k
    "$2" wineboot </dev/null >/dev/null 2>&1 || fail "wineboot could not set up $1"
}
