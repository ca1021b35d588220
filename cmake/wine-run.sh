#!/usr/bin/env bash
# Runs a Windows test program under Wine in a prefix of the build tree's own, built on
# first use. The cross toolchain files make this the test programs' emulator. Without
# a program, it only makes the prefix ready.
#
#   wine-run.sh PREFIX LOADER [PROGRAM [ARGUMENTS...]]
set -euo pipefail
prefix=$1 loader=$2
shift 2
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all}
# No .NET or HTML engine installer prompts, and no desktop menu entries on the host.
export WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d"
server=$(dirname "$loader")/wineserver
mkdir -p "$prefix"  # the server refuses a prefix folder that does not exist
log="$prefix.log"

# Building a fresh prefix failed once in a fresh CI tree and went through when run again;
# so each step is tried up to three times, and what Wine said is kept beside the prefix.
in_session() {
    local attempt
    for attempt in 1 2 3; do
        "$loader" "$@" </dev/null >>"$log" 2>&1 9>&- && return 0
        echo "wine-run: '$*' failed (attempt $attempt) for $prefix" >>"$log"
        sleep 1
    done
    echo "wine-run: '$*' failed three times for $prefix; the end of $log:" >&2
    tail -n 20 "$log" >&2
    return 1
}
{
    flock 9
    # A server or session program (services, devices) that a test program starts
    # inherits that program's pipes and keeps them open after it exits, and CTest then
    # waits for them. So both start here, on /dev/null: the server persistent until
    # half a minute after its last program (status 2: one runs already), the session
    # by wineboot, which also builds a new prefix.
    # They must not hold the lock (descriptor 9) either, for as long as they run.
    if "$server" -p30 </dev/null >/dev/null 2>&1 9>&-; then
        in_session wineboot
    fi
    if [ ! -e "$prefix/.stepdial-ready" ]; then
        # Wine's display-less graphics driver: the window tests need no X server.
        in_session reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f
        touch "$prefix/.stepdial-ready"
    fi
} 9>"$prefix.lock"
[ $# -gt 0 ] || exit 0
exec "$loader" "$@"
