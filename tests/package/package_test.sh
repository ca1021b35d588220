#!/usr/bin/env bash
# Builds the Debian package of a build tree and checks it the way a user's machine meets
# it: the file name apt is given, the control fields apt reads, the files dpkg unpacks,
# what lintian says of it, the copyright, changelog and manual pages, the menu entries a
# desktop reads, the AppStream metadata a software centre reads, and the simulator
# started from the unpacked files.
# Usage: package_test.sh SOURCE_DIR BUILD_DIR VERSION EXPECTED_CONTENTS_FILE
set -euo pipefail

source_dir=$1 build=$2 version=$3 expected=$4
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/testlib.sh"

# --- the package is built from this tree ---------------------------------------------
if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  fail "cpack could not build the package"
fi
shopt -s nullglob
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] || fail "expected one .deb, cpack made: ${debs[*]:-none}"
deb=${debs[0]}
arch=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "stepdial_${version}_${arch}.deb" ] ||
  fail "package file is $(basename "$deb"), apt users are told stepdial_${version}_${arch}.deb"

# --- control fields ------------------------------------------------------------------
field() { dpkg-deb -f "$deb" "$1"; }
expect_field() {
  local got
  got=$(field "$1")
  [ "$got" = "$2" ] || fail "$1 is '$got', expected '$2'"
}
expect_field Package stepdial
expect_field Version "$version"
expect_field Architecture "$arch"
expect_field Section electronics
maintainer=$(field Maintainer)
[[ $maintainer =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer '$maintainer' is not 'Name <address>'"
description=$(field Description)
[ "$(wc -l <<<"$description")" -ge 2 ] || fail "Description has no long text: $description"
[ -n "$(head -n1 <<<"$description")" ] || fail "Description has no summary line"

# Linked libraries come from dpkg-shlibdeps, named as the building release names them
# (Debian 13's 64-bit time_t transition added "t64" to Qt's); the platform plugins and
# the typeface, under either release's name, are loaded at run time, so only the
# explicit Depends can bring them.
depends=$(field Depends)
listed() { tr ',' '\n' <<<"$depends" | sed 's/ *([^)]*)//g; s/^ *//; s/ *$//' | grep -qxE "$1"; }
# The typeface's package under either release's name, in the order cmake/Culmus.cmake gives.
culmus=$(sed -n 's/^set(STEPDIAL_CULMUS_PACKAGES \(.*\))$/\1/p' "$source_dir/cmake/Culmus.cmake" | sed 's/ / \\| /g')
[ -n "$culmus" ] || fail "cmake/Culmus.cmake names no package of the typeface"
for dep in libc6 'libstdc\+\+6' 'libqt6core6(t64)?' 'libqt6widgets6(t64)?' qt6-qpa-plugins "$culmus"; do
  listed "$dep" || fail "Depends lacks $dep: $depends"
done
expect_field Recommends qt6-wayland
# dpkg-shlibdeps writes the lowest version that has every symbol used.
grep -qE '(^|, )libqt6widgets6(t64)? \(>= [0-9][^)]*\)' <<<"$depends" ||
  fail "Depends has no computed version of Qt Widgets: $depends"

# --- contents --------------------------------------------------------------------------
dpkg-deb -c "$deb" >"$work/listing"
awk '$1 !~ /^d/ { print $6 }' "$work/listing" | sort >"$work/files"
# The lintian override comes with a package built where lintian asks for it (packaging/).
# shellcheck disable=SC1091
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
{ cat "$expected"; [ "$codename" = bookworm ] || echo ./usr/share/lintian/overrides/stepdial; } |
  sort | diff -u - "$work/files" >&2 || fail "package contents differ from $expected"
owners=$(awk '{ print $2 }' "$work/listing" | sort -u)
[ "$owners" = "root/root" ] || fail "files not owned by root: $owners"
for program in stepdial stepdial-sim; do
  grep -qE "^-rwxr-xr-x .* \./usr/bin/${program}$" "$work/listing" ||
    fail "/usr/bin/$program is not an executable file for everyone"
done
if grep -E '\./usr/share/' "$work/listing" | grep -vE '^(d|-rw-r--r--)' >&2; then
  fail "data files with unexpected modes"
fi

# The drivers at every boot, the devices open to the desktop's user (73-seat-late.rules acts
# on the tag, so the rule sorts before it), and a postinst that applies both at once.
dpkg-deb -I "$deb" postinst | sh -n || fail "the package has no valid postinst"
for rule in $(grep -oE '\./usr/lib/udev/rules\.d/[^ ]+' "$work/files"); do
  [[ "$(basename "$rule")" < 73-seat-late.rules ]] || fail "$rule sorts after 73-seat-late.rules"
done
rule_of() { dpkg-deb --fsys-tarfile "$deb" | tar -xO "./usr/lib/udev/rules.d/$1" | grep -v '^#'; }
rule_of 70-stepdial-parport.rules | grep -qE '^SUBSYSTEM=="ppdev".*TAG\+="uaccess"' ||
  fail "the parallel-port rule does not tag the ppdev devices uaccess"
# FTDI's chips with a bit-bang mode, in the very line the message tells an administrator
# without the package to add.
usb_rule=$(rule_of 70-stepdial-usb.rules)
for id in 6001 6010 6011 6014 6015; do
  grep -qE "^SUBSYSTEM==\"usb\", ATTR\{idVendor\}==\"0403\", ATTR\{idProduct\}==\"([0-9|]*\|)?$id(\|[0-9|]*)?\",.*TAG\+=\"uaccess\"" \
    <<<"$usb_rule" || fail "the USB rule does not tag 0403:$id uaccess: $usb_rule"
done
python3 "$source_dir/tests/support/facts.py" remedy kAllowTheBoard | grep -qF -- "$usb_rule" ||
  fail "the remedy kAllowTheBoard does not give the USB rule's line: $usb_rule"
gpio_rule=$(rule_of 70-stepdial-gpio.rules)
grep -qE '^SUBSYSTEM=="gpio", KERNEL=="gpiochip\[0-9\]\*",.*TAG\+="uaccess"' <<<"$gpio_rule" ||
  fail "the GPIO rule does not tag the GPIO chips uaccess: $gpio_rule"
python3 "$source_dir/tests/support/facts.py" remedy kAllowTheChips | grep -qF -- "$gpio_rule" ||
  fail "the remedy kAllowTheChips does not give the GPIO rule's line: $gpio_rule"
[ "$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/lib/modules-load.d/stepdial.conf | grep -v '^#' | sort | xargs)" = \
  "parport_pc ppdev" ] || fail "the modules-load file does not load parport_pc and ppdev"
# The printer driver kept off the ports, and the rule's access taken back on removal.
[ "$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/lib/modprobe.d/stepdial-lp.conf | grep -v '^#')" = \
  "options lp parport=none" ] || fail "the modprobe option does not keep lp off the parallel ports"
dpkg-deb -I "$deb" postrm | sh -n || fail "the package has no valid postrm"
dpkg-deb -I "$deb" postrm | grep -q 'udevadm trigger --subsystem-match=ppdev' ||
  fail "the postrm does not apply the udev rules to the ports again"

# --- lintian ------------------------------------------------------------------------------
# Debian's own profile whatever the machine's vendor, and no configuration file of the
# machine or the user, which could hide tags. Info tags are shown because the hardening
# tags are among them; experimental and pedantic ones are shown and do not fail.
lintian_log="$work/lintian.log"
lintian --no-cfg --profile debian --display-info --display-experimental --pedantic \
        --tag-display-limit 0 --fail-on none "$deb" >"$lintian_log" 2>"$work/lintian.err" ||
  { cat "$work/lintian.err" >&2; fail "lintian could not check the package"; }
echo "lintian on $(basename "$deb") (debian profile):"
if [ -s "$lintian_log" ]; then sed 's/^/  /' "$lintian_log"; else echo "  no tags"; fi
if grep -E '^[EW]: |^[A-Z]: [^ ]+: hardening-' "$lintian_log" >&2; then
  fail "lintian reports errors, warnings or hardening tags (the hardening flags come with -DSTEPDIAL_HARDEN=ON)"
fi
grep -qE '^[A-Z]: ' "$lintian_log" || ! grep -q . "$lintian_log" ||
  fail "lintian printed what is not a tag: $(cat "$lintian_log")"

# --- unpacked: programs and desktop entries ---------------------------------------------
root="$work/root"
dpkg -x "$deb" "$root"
for program in stepdial stepdial-sim; do
  binary="$root/usr/bin/$program"
  # An installed program must find its libraries on the system, never in a build tree.
  if ldd "$binary" | grep 'not found' >&2; then fail "$program has unresolved libraries"; fi
  if readelf -d "$binary" | grep -E 'RPATH|RUNPATH' >&2; then fail "$program carries a run path"; fi
  if readelf -S "$binary" | grep -q '\.debug_info'; then fail "$program is not stripped"; fi
done

# --- copyright, changelog, manual pages ------------------------------------------------
doc="$root/usr/share/doc/stepdial"
# Machine-readable, and the licence it states is the text of LICENSE, word for word.
head -n1 "$doc/copyright" | grep -qxF 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "copyright is not in the machine-readable format"
grep -qxF 'Files: *' "$doc/copyright" || fail "copyright has no 'Files: *' paragraph"
awk '/^License: Expat$/ { inside = 1; next } inside && /^ / { print; next } { inside = 0 }' "$doc/copyright" |
  sed 's/^ //; s/^\.$//' >"$work/copyright-license"
sed -n '/^Permission is hereby granted/,$p' "$source_dir/LICENSE" >"$work/license"
[ -s "$work/license" ] || fail "LICENSE holds no MIT licence text"
diff -u "$work/license" "$work/copyright-license" >&2 || fail "the licence in copyright is not LICENSE's"

# gzip -9n: no file name and no time stamp in the header (bytes 3 and 4-7), so the same
# file gives the same package.
gzipped() {
  local flags mtime
  flags=$(od -An -tu1 -j3 -N1 "$1" | tr -d ' ')
  mtime=$(od -An -tu4 -j4 -N4 "$1" | tr -d ' ')
  [ $((flags & 8)) -eq 0 ] && [ "$mtime" -eq 0 ] && gzip -t "$1"
}
for file in "$doc/changelog.gz" "$root"/usr/share/man/man1/*.gz; do
  gzipped "$file" || fail "$file is not compressed with gzip -9n"
done
zcat "$doc/changelog.gz" >"$work/changelog"
[ "$(dpkg-parsechangelog -l "$work/changelog" -S Version)" = "$version" ] ||
  fail "the changelog's newest entry is not $version: $(head -n1 "$work/changelog")"
[ "$(dpkg-parsechangelog -l "$work/changelog" -S Maintainer)" = "$maintainer" ] ||
  fail "the changelog's newest entry is not signed by the package's Maintainer"

# Each page renders without a complaint from man or groff, and is the page of its program.
manual="$root/usr/share/man/man1"
render() { LC_ALL=C MANWIDTH=100 man -l "$1" 2>/dev/null | sed 's/.\x08//g' | tr -s ' \n' ' '; }
for program in stepdial stepdial-sim; do
  page="$manual/$program.1.gz"
  [ -f "$page" ] || fail "no manual page for $program"
  complaints=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  [ -z "$complaints" ] || fail "$program.1 has formatting complaints: $complaints"
  render "$page" >"$work/$program.txt"
  grep -qF "NAME $program - " "$work/$program.txt" || fail "$program.1 does not name $program"
  for section in DESCRIPTION WINDOWS "EXIT STATUS" FILES; do
    grep -qF " $section " "$work/$program.txt" || fail "$program.1 has no $section section"
  done
  grep -qF "stepdial $version" "$work/$program.txt" || fail "$program.1 does not say version $version"
done
# Every failure the Linux port and the USB board can report, as their sources word it, has
# its entry in the page (followed by the library's own words in parentheses, where it gives
# them), beside the files the program reads.
messages=$(cat "$source_dir"/motor/port_linux.cpp "$source_dir"/motor/port_ppdev.cpp \
               "$source_dir"/motor/port_direct_io.cpp "$source_dir"/ports/usb_board_linux.cpp \
               "$source_dir"/ports/gpio_lines_linux.cpp |
           grep -oE '"(cannot|no) [^"]*"' | tr -d '"' | sort -u)
[ "$(wc -l <<<"$messages")" -ge 12 ] || fail "found only these failures in motor/ and ports/: $messages"
while read -r message; do
  grep -qF -e ": $message: " -e ": $message (" "$work/stepdial.txt" ||
    fail "stepdial.1 does not list the failure '$message'"
done <<<"$messages"
for file in /proc/sys/dev/parport /dev/parportN; do
  grep -qF "$file" "$work/stepdial.txt" || fail "stepdial.1 does not mention $file"
done
# So is every remedy the programs give, word for word as its one home words it: the
# constants whole, the remedies built around a node, group or address by their fixed
# parts, the Windows port library's among them.
remedies=$(python3 "$source_dir/tests/support/facts.py" remedies)
[ "$(wc -l <<<"$remedies")" -ge 20 ] || fail "found only these remedies in motor/port_error.*: $remedies"
while IFS=$'\t' read -r name text; do
  grep -qF -- "$text" "$work/stepdial.txt" "$work/stepdial-sim.txt" ||
    fail "the manual pages do not give the remedy $name: '$text'"
done <<<"$remedies"

applications="$root/usr/share/applications"
app_id=io.github.stepdial.stepdial
# Hints count too: a hint such as a missing main category hides the entry in the menu.
if ! verdict=$(desktop-file-validate "$applications/$app_id.desktop" \
                                     "$applications/$app_id-sim.desktop" 2>&1) ||
   [ -n "$verdict" ]; then
  fail "desktop entries do not validate cleanly: $verdict"
fi
# The main group's keys, not those of the actions after it.
entry() { sed -n "/^\[Desktop Entry\]/,/^\[Desktop Action/s/^$2=//p" "$applications/$app_id${1#stepdial}.desktop"; }
for program in stepdial stepdial-sim; do
  exec_line=$(entry "$program" Exec)
  [ "$exec_line" = "$program" ] || fail "$program.desktop starts '$exec_line'"
  icon=$(entry "$program" Icon)
  grep -q '<svg' "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" 2>/dev/null ||
    fail "$program.desktop names icon '$icon', which the package does not hold as an SVG"
done
grep -qi 'simulat' <<<"$(entry stepdial-sim Name)" ||
  fail "the simulator's menu entry '$(entry stepdial-sim Name)' does not say it is simulated"
[ "$(entry stepdial Name)" != "$(entry stepdial-sim Name)" ] || fail "both menu entries have one name"

# --- AppStream --------------------------------------------------------------------------
metainfo="$root/usr/share/metainfo/$app_id.metainfo.xml"
[ -f "$metainfo" ] || fail "no AppStream metadata at ${metainfo#"$root"}"
status=0
verdict=$(appstreamcli validate --no-net --pedantic "$metainfo" 2>&1) || status=$?
echo "appstreamcli validate --no-net --pedantic: $verdict"
if [ "$status" -ne 0 ] || grep -E '^[EW]: ' <<<"$verdict" >&2; then
  fail "the AppStream metadata does not validate without errors and warnings"
fi
# The component id is the desktop entry's name, and every launchable is in the package.
grep -qF "<id>$app_id</id>" "$metainfo" || fail "the AppStream id is not $app_id"
launchables=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")
grep -qxF "$app_id.desktop" <<<"$launchables" || fail "the metadata does not launch $app_id.desktop"
while read -r launchable; do
  [ -f "$applications/$launchable" ] || fail "the metadata launches $launchable, which the package lacks"
done <<<"$launchables"
grep -qF "<release version=\"$version\"" "$metainfo" || fail "the metadata has no release $version"

# --- the unpacked simulator opens its windows on a real X server ------------------------
start_xvfb
unset QT_QPA_PLATFORM QT_PLUGIN_PATH LD_LIBRARY_PATH

spawn sim_pid "$root/usr/bin/stepdial-sim" >"$work/sim.log" 2>&1
for title in "Form1" "Virtual motor"; do
  if ! timeout 30 xdotool search --sync --onlyvisible --name "^${title}\$" >/dev/null; then
    cat "$work/sim.log" >&2
    fail "the unpacked stepdial-sim showed no '$title' window"
  fi
done
kill -0 "$sim_pid" 2>/dev/null || { cat "$work/sim.log" >&2; fail "stepdial-sim ended by itself"; }
# A desktop matches a window to its menu entry by the window's class.
form1=$(xdotool search --onlyvisible --name '^Form1$' | head -n1)
wm_class=$(xprop -id "$form1" WM_CLASS | sed -n 's/.*, "\(.*\)"$/\1/p')
[ "$wm_class" = "$(entry stepdial-sim StartupWMClass)" ] ||
  fail "Form1's window class '$wm_class' is not its entry's StartupWMClass '$(entry stepdial-sim StartupWMClass)'"
[ "$(readlink "/proc/$sim_pid/exe")" = "$root/usr/bin/stepdial-sim" ] ||
  fail "the running program is not the unpacked one"

# Closing Form1, as its title bar's close button asks, ends the program normally.
python3 "$here/../e2e/sim_close_window.py" "$form1" >&2 || fail "cannot ask Form1 to close"
# Running: its /proc entry is there and not a zombie's (it may go between two reads).
running() {
  local state
  state=$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null) && [ -n "$state" ] && [ "$state" != Z ]
}
for _ in $(seq 100); do running "$sim_pid" || break; sleep 0.1; done
running "$sim_pid" && fail "the unpacked stepdial-sim still runs 10 s after Form1 was closed"
status=0
wait "$sim_pid" || status=$?
sim_pid=""
[ "$status" -eq 0 ] || { cat "$work/sim.log" >&2; fail "stepdial-sim ended with status $status"; }

# Form1's window destroyed by another X client: the program ends, never holds the port unseen.
spawn sim_pid "$root/usr/bin/stepdial-sim" >"$work/sim.log" 2>&1
xdotool windowclose "$(timeout 30 xdotool search --sync --onlyvisible --name '^Form1$' | head -n1)"
for _ in $(seq 100); do running "$sim_pid" || break; sleep 0.1; done
running "$sim_pid" && fail "stepdial-sim still runs 10 s after Form1's window was destroyed"
wait "$sim_pid" && sim_pid="" || fail "stepdial-sim ended with status $? after its window was destroyed"
echo "package $(basename "$deb") checked"
