#!/usr/bin/env bash
# The installed stepdial under Wine, in a real X server (Xvfb), beside a port library
# whose driver is not open, as Windows leaves it when its driver cannot load. Each start
# must show the error box before any Form1 and end with status 1, its message (the same
# line on standard error) naming the driver's service and giving the advice that fits
# what Wine's registry and the process's token say:
#   - started as an administrator under UAC starts a program (the limited token), with
#     no driver service: "run once as administrator";
#   - started elevated (as Wine starts every program), with no service: the driver was
#     taken away after the library installed it;
#   - with memory integrity on (HypervisorEnforcedCodeIntegrity\Enabled = 1), started
#     either way: running as administrator cannot help, memory integrity stops it.
# Wine has no service control of kernel drivers, no code integrity and no blocklist: the
# service's recorded exit codes (1275, 577, 0x800B010C) are tried only as recorded facts
# (tests/port_windows/).
#
#   driver_closed_e2e.sh --loader WINE --arch win64|win32 --setup stepdial-setup.exe
#                        --stand-in LIBRARY.dll --as-invoker AS_INVOKER.exe
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/../../scripts/testlib.sh"

loader="" arch="" setup="" stand_in="" as_invoker=""
while [ $# -gt 0 ]; do
    case $1 in
    --loader) loader=$2 ;;
    --arch) arch=$2 ;;
    --setup) setup=$(realpath "$2") ;;
    --stand-in) stand_in=$(realpath "$2") ;;
    --as-invoker) as_invoker=$(realpath "$2") ;;
    *) echo "unknown argument $1" >&2; exit 2 ;;
    esac
    shift 2
done
export WINEARCH=$arch
service=inpoutx64
[ "$arch" = win64 ] || service=inpout32
remedy() { python3 "$here/../support/facts.py" remedy "$1"; }

start_xvfb
start_wine "$work/prefix" "$loader"
windows_path() { echo "Z:${1//\//\\}"; }
"$loader" "$(windows_path "$setup")" /S </dev/null >/dev/null 2>&1 || fail "the installer failed"
folder="$WINEPREFIX/drive_c/Program Files/stepdial"
cp "$stand_in" "$folder/$(basename "$stand_in")"
exe='C:\Program Files\stepdial\stepdial.exe'
cp "$as_invoker" "$WINEPREFIX/drive_c/as_invoker.exe"

# One start (WAY: elevated or limited): the box, no Form1, Enter closes it, status 1, and
# the remedy named REMEDY on standard error.
start_case() {
    local way=$1 name=$2 pid status=0
    local command=("$loader" "$exe")
    [ "$way" = elevated ] || command=("$loader" 'C:\as_invoker.exe' "$exe")
    spawn pid "${command[@]}" >"$work/$way.out" 2>"$work/$way.err" </dev/null
    box_up() { kill -0 "$pid" 2>/dev/null && [ -n "$(window_named stepdial)" ]; }
    within 30 box_up || fail "$way, $name: no error box titled stepdial"
    [ -z "$(window_named Form1)" ] || fail "$way, $name: Form1 is on screen beside the error box"
    xdotool windowfocus --sync "$(window_named stepdial)" key --clearmodifiers Return
    within 10 bash -c "! kill -0 $pid 2>/dev/null" || fail "$way, $name: stepdial still runs after the box"
    wait "$pid" || status=$?
    [ "$status" = 1 ] || fail "$way, $name: status $status, not 1"
    grep -F "stepdial: I/O port 888 (0x378): " "$work/$way.err" | grep -qF "(service $service)" ||
        fail "$way, $name: the message does not name the service $service"
    grep -qF -- "$(remedy "$name")" "$work/$way.err" || fail "$way, $name: not the advice $name"
    echo "$way, driver closed: box, status 1, $name"
}

start_case limited kOpenThePortDriver
start_case elevated kInstallTheDriverByHand
"$loader" reg add 'HKLM\SYSTEM\CurrentControlSet\Control\DeviceGuard\Scenarios\HypervisorEnforcedCodeIntegrity' \
    /v Enabled /t REG_DWORD /d 1 /f >/dev/null 2>&1 || fail "could not turn memory integrity on in Wine's registry"
start_case limited kTurnOffMemoryIntegrity
start_case elevated kTurnOffMemoryIntegrity
