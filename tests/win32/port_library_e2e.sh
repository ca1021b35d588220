#!/usr/bin/env bash
# The installed stepdial under Wine, in a real X server (Xvfb), as Windows' records of
# the port library's driver and of its parallel ports steer it.
#
# Beside a port library whose driver is not open, as Windows leaves it when its driver
# cannot load, each start
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
# With LPT3 registered in Wine's Ports class and the recording stand-in library, the
# program says on standard error that Windows lists LPT3 without an I/O range, and the
# port gets its start-up 0 at 888. Wine keeps no Plug and Play resources, so a port at a
# card's range is tried only as recorded facts (tests/port_windows/).
#
#   port_library_e2e.sh --loader WINE --arch win64|win32 --setup stepdial-setup.exe
#                       --stand-in LIBRARY.dll --recording LIBRARY.dll
#                       --as-invoker AS_INVOKER.exe --plug-in PLUG_IN_PORT.exe
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/../../scripts/testlib.sh"

loader="" arch="" setup="" stand_in="" recording="" as_invoker="" plug_in=""
while [ $# -gt 0 ]; do
    case $1 in
    --loader) loader=$2 ;;
    --arch) arch=$2 ;;
    --setup) setup=$(realpath "$2") ;;
    --stand-in) stand_in=$(realpath "$2") ;;
    --recording) recording=$(realpath "$2") ;;
    --as-invoker) as_invoker=$(realpath "$2") ;;
    --plug-in) plug_in=$(realpath "$2") ;;
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

# A parallel port Windows lists without an I/O range: 888, saying so.
"$loader" "$(windows_path "$plug_in")" LPT3 </dev/null >/dev/null 2>&1 || fail "could not register LPT3 in Wine"
cp "$recording" "$folder/$(basename "$stand_in")"
record="$work/record.txt"
STEPDIAL_TEST_PORT_RECORD=$(windows_path "$record") spawn app_pid "$loader" "$exe" \
    >"$work/listed.out" 2>"$work/listed.err" </dev/null
form_up() { kill -0 "$app_pid" 2>/dev/null && [ -n "$(window_named Form1)" ]; }
within 30 form_up || fail "no Form1 window with LPT3 listed"
grep -qF "stepdial: Windows lists LPT3 without an I/O range, so stepdial writes to 888 (0x378)" "$work/listed.err" ||
    fail "stepdial does not say which port it saw"
within 10 test -s "$record" || fail "nothing written at start-up"
[ "$(cut -d' ' -f1-2 "$record")" = "888 0" ] || fail "with LPT3 listed, the port got: $(cat "$record")"
echo "LPT3 listed without an I/O range: said so, the start-up 0 went to 888"
xdotool windowfocus --sync "$(window_named Form1)" key --clearmodifiers alt+F4
within 15 bash -c "! kill -0 $app_pid 2>/dev/null" || fail "stepdial still runs after Alt+F4"
status=0
wait "$app_pid" || status=$?
[ "$status" = 0 ] || fail "status $status after Alt+F4 with LPT3 listed, not 0"
