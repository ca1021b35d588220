#!/usr/bin/env bash
# The installed stepdial under Wine in Xvfb beside a port library whose driver is not open:
# the box, status 1, the service's name and the advice for a limited start (UAC's token for
# an administrator) and an elevated one, without and with memory integrity in the registry.
#   driver_closed_e2e.sh --loader WINE --arch win64|win32 --setup S.exe --stand-in L.dll --as-invoker A.exe
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/../../scripts/testlib.sh"
declare -A arg
while [ $# -gt 0 ]; do arg[${1#--}]=$2 && shift 2; done
loader=${arg[loader]}
export WINEARCH=${arg[arch]}
service=inpoutx64 && [ "$WINEARCH" = win64 ] || service=inpout32
windows_path() { echo "Z:${1//\//\\}"; }
# Wine 10 (Debian 13) gives programs another token than Wine 8, and its limited and elevated
# starts have not been worked out yet: the cases are Wine 8's.
if [ "$("$loader" --version | sed -n 's/^wine-\([0-9]*\).*/\1/p')" -ge 10 ]; then
    echo "not run: the token cases are Wine 8's, and this is $("$loader" --version)"
    exit 0
fi
start_xvfb
start_wine "$work/prefix" "$loader"
"$loader" "$(windows_path "$(realpath "${arg[setup]}")")" /S </dev/null >/dev/null 2>&1 || fail "the installer failed"
cp "${arg[stand-in]}" "$WINEPREFIX/drive_c/Program Files/stepdial/"
exe='C:\Program Files\stepdial\stepdial.exe'

box_up() { [ -n "$(window_named stepdial)" ]; }
start_case() {
    local way=$1 name=$2 pid status=0 command=("$loader" "$exe")
    [ "$way" = elevated ] || command=("$loader" "$(windows_path "$(realpath "${arg[as-invoker]}")")" "$exe")
    spawn pid "${command[@]}" >"$work/$way.out" 2>"$work/$way.err" </dev/null
    within 30 box_up || fail "$way, $name: no error box"
    xdotool windowfocus --sync "$(window_named stepdial)" key --clearmodifiers Return
    within 10 bash -c "! kill -0 $pid 2>/dev/null" || fail "$way, $name: still running after the box"
    wait "$pid" || status=$?
    [ "$status" = 1 ] || fail "$way, $name: status $status, not 1"
    grep -qF "(service $service)" "$work/$way.err" || fail "$way, $name: the message does not name $service"
    grep -qF -- "$(python3 "$here/../support/facts.py" remedy "$name")" "$work/$way.err" || fail "$way: not $name"
    echo "$way, driver closed: box, status 1, $name"
}
start_case limited kOpenThePortDriver
start_case elevated kInstallTheDriverByHand
"$loader" reg add 'HKLM\SYSTEM\CurrentControlSet\Control\DeviceGuard\Scenarios\HypervisorEnforcedCodeIntegrity' \
    /v Enabled /t REG_DWORD /d 1 /f >/dev/null 2>&1 || fail "could not turn memory integrity on"
start_case limited kTurnOffMemoryIntegrity
start_case elevated kTurnOffMemoryIntegrity

grep -qF -- "$(python3 "$here/../support/facts.py" remedy kOrUseAUsbBoard)" "$work/elevated.err" ||
    fail "memory integrity: the advice does not point to a USB board"
