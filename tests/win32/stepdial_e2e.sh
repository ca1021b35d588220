#!/usr/bin/env bash
# stepdial for Windows as an operator uses it, under Wine in a real X server (Xvfb),
# in a Wine prefix of its own made for this run, 64-bit or 32-bit (--arch):
#   - installs it with the installer's /S and checks what landed on disk and in the
#     registry (or, for a build without an installer, copies the program in), and that
#     the program is of the prefix's bitness;
#   - starts it without a port library: an error box, no Form1, status 1;
#   - puts the recording stand-in port library beside it, types 90 in the entry and
#     presses the start button: the port gets 0, then 6 12 9 3 three times; the needle
#     points down; Enter does not start the motor, Tab and Space do; a move from 0 to
#     360 takes 48 ticks in order, none shorter than half the tick period (what stays
#     true on a busy machine; the cadence is printed, not judged);
#   - runs the installer and the uninstaller again, silently, over the program started by
#     other spellings of its path: they must refuse and leave it as it was;
#   - closes the window with Alt+F4: status 0, nothing written at exit;
#   - uninstalls with /S and checks that everything installed is gone, and what a full
#     temporary folder or an untrusted record of the folders it made leaves.
#
#   stepdial_e2e.sh --loader WINE --arch win64|win32 --stand-in LIBRARY.dll --facts BUILD/facts.env
#                   (--setup stepdial-setup.exe --version VERSION --squatter SQUATTER.exe
#                    | --program stepdial.exe)
#                   [--screenshot OUT.png]
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/../../scripts/testlib.sh"

loader="" arch="" stand_in="" setup="" version="" squatter="" program="" screenshot=""
while [ $# -gt 0 ]; do
    case $1 in
    --loader) loader=$2 ;;
    --arch) arch=$2 ;;
    --stand-in) stand_in=$(realpath "$2") ;;
    --setup) setup=$(realpath "$2") ;;
    --version) version=$2 ;;
    --squatter) squatter=$(realpath "$2") ;;
    --program) program=$(realpath "$2") ;;
    --screenshot) screenshot=$(realpath -m "$2") ;;
    --facts) source "$2" ;;
    *) echo "unknown argument $1" >&2; exit 2 ;;
    esac
    shift 2
done
library=$(basename "$stand_in")

app_pid=""
export WINEARCH=$arch
running() { kill -0 "$app_pid" 2>/dev/null; }
# Sets `status` to the exit status of the program started last, once it has ended
# within `seconds`.
wait_for_exit() {
    within "$1" bash -c "! kill -0 $app_pid 2>/dev/null" || fail "stepdial still runs $1 s later"
    status=0
    wait "$app_pid" || status=$?
    app_pid=""
}
# A Unix path as Windows programs in the prefix see it (drive Z: is the root).
windows_path() { echo "Z:${1//\//\\}"; }
# The machine a Windows program is built for, from its PE header: win64 or win32.
pe_arch() {
    local machine
    machine=$(od -An -tx2 -j$(($(od -An -tu4 -j60 -N4 "$1") + 4)) -N2 "$1" | tr -d ' ')
    { [ "$machine" = 8664 ] && echo win64; } || { [ "$machine" = 014c ] && echo win32; } || echo "machine $machine"
}

start_xvfb
start_wine "$work/prefix" "$loader"

uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\stepdial'
substitutes_key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
fonts_key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts'
# One value's data as `reg query` shows it, or nothing (and status 1) without it.
reg_value() {
    "$loader" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
        sed -n "s/^ *$2 \{1,\}REG_[A-Z_]\{1,\} \{1,\}//p" | grep .
}
reg_key_exists() { "$loader" reg query "$1" >/dev/null 2>&1; }

drive_c="$WINEPREFIX/drive_c"
shortcut="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/stepdial.lnk"
settings_shortcut="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/stepdial settings.lnk"
font="$drive_c/windows/Fonts/DavidCLM-Bold.otf"
exit_status() { sed -n "s/^!define $1 //p" "$here/../../packaging/windows/stepdial.nsi"; }
# What an installation left: FOLDER's entries but the uninstaller (it goes just after its
# process ends), whether stepdial is registered, whether its shortcut is there.
left_in() {
    local entries=none key=no link=no
    [ ! -d "$1" ] || entries=$(LC_ALL=C ls -A "$1" | grep -vx uninstall.exe | paste -sd ' ')
    ! reg_key_exists "$uninstall_key" || key=yes
    [ ! -e "$shortcut" ] || link=yes
    [ "$([ -e "$shortcut" ] && echo 1)" = "$([ -e "$settings_shortcut" ] && echo 1)" ] || link="one of two"
    echo "entries: ${entries:-empty}; key: $key; shortcut: $link"
}
# A silent run of the installer or the uninstaller ("PROGRAM" ARGUMENTS, as Windows
# gets it) must end with STATUS and leave FOLDER as LEFT says, the moment it returns.
installer_case() {
    local name=$1 status=$2 folder=$3 left=$4 program=${5#\"} got=0 now words
    # Wine joins the words with a space each, which gives the line back as it was.
    read -ra words <<<"${program#*\" }"
    "$loader" "${program%%\"*}" "${words[@]}" >"$work/case.out" 2>"$work/case.err" </dev/null || got=$?
    now=$(left_in "$folder")
    echo "$name: status $got; $now"
    [ "$got; $now" = "$status; $left" ] || fail "$name: not status $status; $left"
}
# Makes FOLDER take no new file, for root too: root writes whatever a folder's mode says,
# only the immutable flag stops it. `writable FOLDER` undoes it, and the exit does.
read_only() {
    chmod a-w "$1" && at_exit writable "$1"
    [ "$(id -u)" != 0 ] || chattr +i "$1" || fail "chattr could not make $1 read-only"
}
writable() { { [ "$(id -u)" != 0 ] || chattr -i "$1"; } && chmod u+w "$1"; }
quiet_uninstall() { reg_value "$uninstall_key" QuietUninstallString; }
# The installer and the registered silent uninstaller over stepdial started as EXE (given
# its folder as FOLDER, /D= and _?=, when there is one) end with EXIT_RUNNING, changing nothing.
refused_over() {
    local left quiet
    left=$(left_in "$folder")
    quiet=$(quiet_uninstall)
    installer_case "installing over stepdial started as $1${2:+, into $2}" "$(exit_status EXIT_RUNNING)" \
        "$folder" "$left" "\"$windows_setup\" /S${2:+ /D=$2}"
    installer_case "uninstalling stepdial started as $1${2:+ from $2}" "$(exit_status EXIT_RUNNING)" \
        "$folder" "$left" "${quiet%%_\?=*}_?=${2:-$windows_folder}"
}
if [ -n "$setup" ]; then
    folder="$drive_c/Program Files/stepdial"
    windows_folder='C:\Program Files\stepdial'
    windows_setup=$(windows_path "$setup")
    mkdir -p "$drive_c/read-only" && read_only "$drive_c/read-only"
    installer_case "read-only folder" "$(exit_status EXIT_FAILED)" "$drive_c/read-only" \
        "entries: empty; key: no; shortcut: no" "\"$windows_setup\" /S /D=C:\\read-only\\step dial"
    mkdir -p "$drive_c/squatter" && cp "$squatter" "$drive_c/squatter/stepdial.exe"
    spawn squatter_pid "$loader" 'C:\squatter\stepdial.exe' </dev/null >/dev/null 2>&1
    within 20 bash -c "ps -eo args | grep -qxF 'C:\\squatter\\stepdial.exe'" || fail "the squatter did not start"
    installer_case "installing beside a squatter" 0 "$folder" \
        "entries: fonts-licence.txt stepdial.exe; key: yes; shortcut: yes" "\"$windows_setup\" /S"
    for file in stepdial.exe uninstall.exe fonts-licence.txt; do
        [ -f "$folder/$file" ] || fail "no $file in $folder after installing"
    done
    grep -q "GNU GENERAL PUBLIC LICENSE" "$folder/fonts-licence.txt" || fail "fonts-licence.txt holds no GPL"
    [ ! -e "$folder/$library" ] || fail "the installer ships the port library"
    [ -f "$shortcut" ] || fail "no Start menu shortcut"
    tr -d '\0' <"$settings_shortcut" | grep -qF -- --settings || fail "the settings shortcut does not open the settings"
    [ -f "$font" ] || fail "David CLM is not in the Fonts folder of a Windows without David"
    [ "$(reg_value "$uninstall_key" DisplayName)" = stepdial ] || fail "no DisplayName in $uninstall_key"
    [ "$(reg_value "$uninstall_key" DisplayVersion)" = "$version" ] || fail "DisplayVersion is not $version"
    [ "$(reg_value "$uninstall_key" Publisher)" = "The stepdial authors" ] || fail "wrong Publisher"
    [ "$(reg_value "$uninstall_key" InstallLocation)" = "$windows_folder" ] || fail "wrong InstallLocation"
    [ "$(reg_value "$uninstall_key" UninstallString)" = "\"$windows_folder\\uninstall.exe\"" ] ||
        fail "wrong UninstallString"
    [ "$(quiet_uninstall)" = "\"$windows_folder\\uninstall.exe\" /S _?=$windows_folder" ] ||
        fail "wrong QuietUninstallString"
    [ "$(pe_arch "$folder/stepdial.exe")" = "$arch" ] || fail "a $(pe_arch "$folder/stepdial.exe") stepdial.exe in a $arch prefix"
    # What the installer put there, in KiB rounded up: the program, the uninstaller,
    # the licence and the font it added.
    size=$(cat "$folder/stepdial.exe" "$folder/uninstall.exe" "$folder/fonts-licence.txt" "$font" | wc -c)
    [ "$(reg_value "$uninstall_key" EstimatedSize)" = "$(printf '0x%x' $(((size + 1023) / 1024)))" ] ||
        fail "EstimatedSize $(reg_value "$uninstall_key" EstimatedSize), not what was installed ($size bytes)"
    [ "$(reg_value "$substitutes_key" David)" = "David CLM" ] || fail "\"David\" is not mapped to David CLM"
    [ "$(reg_value "$fonts_key" "David CLM Bold (OpenType)")" = DavidCLM-Bold.otf ] || fail "David CLM is not registered"
    echo "installed into $windows_folder: a $arch stepdial.exe, EstimatedSize $size bytes"
    # Other spellings of the program's path, which the running check must see through:
    # its folder's 8.3 name as Wine gives it, and a second drive letter on the folder above.
    printf '@for %%%%I in ("%s") do @echo %%%%~sI\r\n' "$windows_folder\\stepdial.exe" >"$drive_c/short.bat"
    short_exe=$("$loader" cmd /c 'C:\short.bat' </dev/null | tr -d '\r')
    [[ "$short_exe" == C:\\*~*\\stepdial.exe ]] || fail "no 8.3 path of $windows_folder from Wine: $short_exe"
    ln -s "../drive_c/Program Files" "$WINEPREFIX/dosdevices/p:"
    drive_exe='P:\stepdial\stepdial.exe'
else
    folder="$drive_c/stepdial"
    windows_folder='C:\stepdial'
    mkdir -p "$folder"
    cp "$program" "$folder/stepdial.exe"
    short_exe="$windows_folder\\stepdial.exe" drive_exe="$windows_folder\\stepdial.exe"
fi
record="$work/record.txt"

# Without the port library: the start-up write fails before Form1 is shown.
spawn app_pid "$loader" "$drive_exe" >"$work/nolib.out" 2>"$work/nolib.err" </dev/null
box_up() { running && [ -n "$(window_named stepdial)" ]; }
within 30 box_up || fail "no error box titled stepdial"
[ -z "$(window_named Form1)" ] || fail "Form1 is on screen beside the start-up error box"
sleep 0.5
running || fail "stepdial ended before the error box was acknowledged"
[ -z "$setup" ] || refused_over "$drive_exe"
xdotool windowfocus --sync "$(window_named stepdial)" key --clearmodifiers Return
wait_for_exit 10
[ "$status" = 1 ] || fail "status $status after the start-up error, not 1"
grep -qF "stepdial: I/O port 888 (0x378): $library: " "$work/nolib.err" || fail "no port error on standard error"
grep -qF "(error 126)" "$work/nolib.err" || fail "the error does not say $library was not found"
grep -qF "${drive_exe%\\*}" "$work/nolib.err" || fail "the error does not name ${drive_exe%\\*}, where $library goes"
echo "without $library: error box, status 1"

# With the stand-in: the operator's moves, as the port sees them.
cp "$stand_in" "$folder/$library"
STEPDIAL_TEST_PORT_RECORD=$(windows_path "$record") spawn app_pid "$loader" "$short_exe" >"$work/run.out" 2>"$work/run.err" </dev/null
form_up() { running && [ -n "$(window_named Form1)" ]; }
within 30 form_up || fail "no Form1 window"
form=$(window_named Form1)
lines() { [ -f "$record" ] && wc -l <"$record" || echo 0; }
has_lines() { [ "$(lines)" -ge "$1" ]; }
within 10 has_lines 1 || fail "nothing written at start-up"
values_from() { tail -n +"$1" "$record" | awk '{ printf "%s%s %s", (NR > 1 ? " " : ""), $1, $2 }'; }
repeat() { local n=$1 out="" i; shift; for ((i = 0; i < n; i++)); do out+=" $*"; done; echo "${out# }"; }
at888() { local out="" v; for v in "$@"; do out+=" 888 $v"; done; echo "${out# }"; }
# Waits for `count` writes from line `from` on, then for the motor to stay still.
move_writes() {
    local from=$1 count=$2
    within 10 has_lines $((from + count - 1)) || fail "only $(($(lines) - from + 1)) of $count writes came"
    sleep 0.3
    [ "$(lines)" -eq $((from + count - 1)) ] || fail "$(($(lines) - from + 1)) writes, not $count"
}
# Ink or background at a pixel of Form1's client area (96 dpi: the pivot is at 113,133).
ink_at() {
    import -window "$form" "$work/form.png"
    [ "$(convert "$work/form.png" -crop "1x1+$1+$2" -format '%[fx:intensity < 0.5]' info:)" = 1 ]
}

xdotool windowfocus --sync "$form"
# The entry has the focus: select its text, type over it.
xdotool key --clearmodifiers End shift+Home
xdotool type --delay 50 90
# Tab moves on to the start button; Space presses it.
xdotool key --clearmodifiers Tab space
move_writes 2 12
[ "$(values_from 1)" = "$(at888 0 $(repeat 3 6 12 9 3))" ] || fail "the port got: $(values_from 1)"
echo "typed 90, Tab, Space: the port got 0, then 6 12 9 3 three times"
ink_at 113 190 || fail "no needle below the pivot at 90 degrees"
ink_at 170 133 && fail "the needle at 0 degrees was not erased"
[ -z "$screenshot" ] || cp "$work/form.png" "$screenshot"

# Back to the entry; Enter must not start the motor; Tab then Space press the button.
xdotool key --clearmodifiers shift+Tab
xdotool type --delay 50 0
xdotool key --clearmodifiers Return
sleep 0.5
[ "$(lines)" -eq 13 ] || fail "Enter in the entry started the motor"
xdotool key --clearmodifiers Tab space
move_writes 14 12
[ "$(values_from 14)" = "$(at888 $(repeat 3 9 12 6 3))" ] || fail "back to 0, the port got: $(values_from 14)"
echo "typed 0, Enter: nothing; Tab, Space: back to 0"

# A whole turn, its cadence measured from the stand-in's time stamps.
xdotool key --clearmodifiers shift+Tab
xdotool type --delay 50 360
xdotool key --clearmodifiers Tab space
move_writes 26 48
[ "$(values_from 26)" = "$(at888 $(repeat 12 6 12 9 3))" ] || fail "to 360, the port got: $(values_from 26)"
cadence=$(tail -n +26 "$record" | awk '{ print $3 }' | "$here/../../scripts/tick_intervals.py")
read -r intervals mean min p50 p99 max within band <<<"$cadence"
period=$(awk -v ns="$TICK_PERIOD_NS" 'BEGIN { print ns / 1e6 }')
echo "0 to 360 in $arch: $((intervals + 1)) ticks; interval mean $mean ms, min $min, p50 $p50, p99 $p99, max $max;" \
    "$within% within $band ms (period $period ms)"
# Half a period: two steps that close together are a rate the motor may not follow.
awk -v m="$min" -v p="$period" 'BEGIN { exit !(m >= p / 2) }' || fail "a tick interval of $min ms, under half of $period ms"

if [ -n "$setup" ]; then
    # An update over the running program: refused, and nothing of the installation changes.
    touch -d '2001-01-01 00:00' "$folder/stepdial.exe"
    before_exe=$(stat -c %Y "$folder/stepdial.exe")
    "$loader" reg add "$uninstall_key" /v DisplayVersion /d old /f >/dev/null 2>&1
    refused_over "$short_exe"
    [ "$(stat -c %Y "$folder/stepdial.exe")" = "$before_exe" ] || fail "the installer replaced the running stepdial.exe"
    [ "$(reg_value "$uninstall_key" DisplayVersion)" = old ] || fail "the installer registered a version over the running stepdial"
    refused_over "$short_exe" "$windows_folder\\..\\stepdial"
fi

# Closed as a person closes it.
before=$(lines)
xdotool windowfocus --sync "$form" key --clearmodifiers alt+F4
wait_for_exit 15
[ "$status" = 0 ] || fail "status $status after closing, not 0"
[ "$(lines)" -eq "$before" ] || fail "written at exit: $(values_from $((before + 1)))"
! grep -q '^stepdial:' "$work/run.err" || fail "an error on standard error"
echo "closed with Alt+F4: status 0, nothing written"

[ -n "$setup" ] || exit 0
# Without a temporary folder that takes a file, the uninstaller has nowhere for the copy of
# itself that removes its own file: it changes nothing and says why in its status.
temp=$("$loader" winepath -u "$("$loader" cmd /c echo %TEMP% </dev/null | tr -d '\r')" </dev/null)
read_only "$temp"
installer_case "uninstalling without a temporary folder" "$(exit_status EXIT_NO_TEMP)" "$folder" \
    "$(left_in "$folder")" "$(quiet_uninstall)"
writable "$temp"
# Nor with one too full for the copy: a file size limit below the uninstaller's (above the
# plug-in's) stands in for a full disk, and the part of the copy that was written goes.
in_temp=$(ls -A "$temp")
(trap '' XFSZ && ulimit -f $(($(stat -c %s "$folder/uninstall.exe") / 2048)) &&
    installer_case "uninstalling with a temporary folder too full for its copy" "$(exit_status EXIT_NO_TEMP)" \
        "$folder" "$(left_in "$folder")" "$(quiet_uninstall)") || exit 1
[ "$(ls -A "$temp")" = "$in_temp" ] || fail "the uninstaller left a part of its copy in $temp"
installer_case "uninstalling beside a squatter" 0 "$folder" "entries: $library; key: no; shortcut: no" "$(quiet_uninstall)"
within 10 test ! -e "$folder/uninstall.exe" || fail "uninstall.exe still there 10 s after the uninstaller ended"
[ ! -e "$font" ] || fail "David CLM is still in the Fonts folder"
! reg_value "$substitutes_key" David >/dev/null || fail "\"David\" is still mapped"
! reg_value "$fonts_key" "David CLM Bold (OpenType)" >/dev/null || fail "David CLM is still registered"
echo "uninstalled: nothing of it left but the operator's $library"

# Folders the installation made go with it; the folder that was there stays.
mkdir -p "$drive_c/kept"
installer_case "installing into new folders" 0 "$drive_c/kept/new folder" "entries: step dial; key: yes; shortcut: yes" \
    "\"$windows_setup\" /S /D=C:\\kept\\new folder\\step dial"
installer_case "uninstalling from new folders" 0 "$drive_c/kept/new folder/step dial" \
    "entries: empty; key: no; shortcut: no" "$(quiet_uninstall)"
within 10 test ! -e "$drive_c/kept/new folder" && [ -d "$drive_c/kept" ] ||
    fail "not only the folders the installation made are gone 10 s after the uninstaller ended"

# A record of the folders it made that cannot be trusted removes none: a number, as an
# older version recorded them (an absurd one here), or a folder that is neither the
# installation's nor one above it. An update over an older version's number records none.
deep='C:\kept\new folder\step dial'
installer_case "installing into new folders again" 0 "$drive_c/kept/new folder" \
    "entries: step dial; key: yes; shortcut: yes" "\"$windows_setup\" /S /D=$deep"
[ "$(reg_value "$uninstall_key" AddedFolders)" = 'C:\kept\new folder' ] || fail "AddedFolders is not C:\kept\new folder"
"$loader" reg add "$uninstall_key" /v AddedFolders /t REG_DWORD /d 2 /f >/dev/null 2>&1
installer_case "updating over a number of folders" 0 "$drive_c/kept/new folder" \
    "entries: step dial; key: yes; shortcut: yes" "\"$windows_setup\" /S /D=$deep"
! reg_value "$uninstall_key" AddedFolders || fail "an update over a number of folders recorded one"
mkdir -p "$drive_c/kept/other"
for record in "REG_DWORD 0x7fffffff" 'REG_SZ C:\kept\other'; do
    installer_case "installing into the folders left" 0 "$drive_c/kept/new folder/step dial" \
        "entries: fonts-licence.txt stepdial.exe; key: yes; shortcut: yes" "\"$windows_setup\" /S /D=$deep"
    "$loader" reg add "$uninstall_key" /v AddedFolders /t "${record% *}" /d "${record#* }" /f >/dev/null 2>&1
    installer_case "uninstalling with AddedFolders $record" 0 "$drive_c/kept/new folder/step dial" \
        "entries: empty; key: no; shortcut: no" "$(quiet_uninstall)"
    within 10 test ! -e "$drive_c/kept/new folder/step dial/uninstall.exe" ||
        fail "uninstall.exe still there 10 s after the uninstaller ended"
    [ -d "$drive_c/kept/new folder/step dial" ] && [ -d "$drive_c/kept/other" ] || fail "AddedFolders $record removed a folder"
done
