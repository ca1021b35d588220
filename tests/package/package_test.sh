#!/usr/bin/env bash
# Builds the Debian package of a build tree and checks it the way a user's machine meets
# it: the file name apt is given, the control fields apt reads, the files dpkg unpacks,
# the menu entries a desktop reads, and the simulator started from the unpacked files.
# Usage: package_test.sh BUILD_DIR VERSION EXPECTED_CONTENTS_FILE
set -euo pipefail

build=$1 version=$2 expected=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/xvfb.sh"
work=$(mktemp -d)
xvfb_pid="" sim_pid=""
cleanup() {
  [ -z "$sim_pid" ] || kill "$sim_pid" 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

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
[[ $(field Maintainer) =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] ||
  fail "Maintainer '$(field Maintainer)' is not 'Name <address>'"
description=$(field Description)
[ "$(wc -l <<<"$description")" -ge 2 ] || fail "Description has no long text: $description"
[ -n "$(head -n1 <<<"$description")" ] || fail "Description has no summary line"

# Linked libraries come from dpkg-shlibdeps; the platform plugins and the typeface are
# loaded at run time, so only the explicit Depends can bring them.
depends=$(field Depends)
listed() { tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//' | grep -qxF "$1"; }
for dep in libc6 libstdc++6 libqt6core6 libqt6widgets6 qt6-qpa-plugins culmus; do
  listed "$dep" || fail "Depends lacks $dep: $depends"
done
# dpkg-shlibdeps writes the lowest version that has every symbol used.
grep -qE '(^|, )libqt6widgets6 \(>= [0-9.]+\)' <<<"$depends" ||
  fail "Depends has no computed version of Qt Widgets: $depends"

# --- contents --------------------------------------------------------------------------
dpkg-deb -c "$deb" >"$work/listing"
awk '$1 !~ /^d/ { print $6 }' "$work/listing" | sort >"$work/files"
sort "$expected" | diff -u - "$work/files" >&2 || fail "package contents differ from $expected"
owners=$(awk '{ print $2 }' "$work/listing" | sort -u)
[ "$owners" = "root/root" ] || fail "files not owned by root: $owners"
for program in stepdial stepdial-sim; do
  grep -qE "^-rwxr-xr-x .* \./usr/bin/${program}$" "$work/listing" ||
    fail "/usr/bin/$program is not an executable file for everyone"
done
if grep -E '\./usr/share/' "$work/listing" | grep -vE '^(d|-rw-r--r--)' >&2; then
  fail "data files with unexpected modes"
fi

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

applications="$root/usr/share/applications"
# Hints count too: a hint such as a missing main category hides the entry in the menu.
if ! verdict=$(desktop-file-validate "$applications/stepdial.desktop" \
                                     "$applications/stepdial-sim.desktop" 2>&1) ||
   [ -n "$verdict" ]; then
  fail "desktop entries do not validate cleanly: $verdict"
fi
entry() { sed -n "s/^$2=//p" "$applications/$1.desktop"; }
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

# --- the unpacked simulator opens its windows on a real X server ------------------------
start_xvfb "$work" || fail "no X server"
xvfb_pid=$XVFB_PID
unset QT_QPA_PLATFORM QT_PLUGIN_PATH LD_LIBRARY_PATH

"$root/usr/bin/stepdial-sim" >"$work/sim.log" 2>&1 &
sim_pid=$!
for title in "Form1" "Virtual motor"; do
  if ! timeout 30 xdotool search --sync --onlyvisible --name "^${title}\$" >/dev/null; then
    cat "$work/sim.log" >&2
    fail "the unpacked stepdial-sim showed no '$title' window"
  fi
done
kill -0 "$sim_pid" 2>/dev/null || { cat "$work/sim.log" >&2; fail "stepdial-sim ended by itself"; }
[ "$(readlink "/proc/$sim_pid/exe")" = "$root/usr/bin/stepdial-sim" ] ||
  fail "the running program is not the unpacked one"

# Closing Form1, as its title bar's close button asks, ends the program normally.
form1=$(xdotool search --onlyvisible --name '^Form1$' | head -n1)
python3 "$here/../e2e/sim_close_window.py" "$form1" >&2 || fail "cannot ask Form1 to close"
running() { [ -e "/proc/$1" ] && [ "$(awk '{ print $3 }' "/proc/$1/stat")" != Z ]; }
for _ in $(seq 100); do running "$sim_pid" || break; sleep 0.1; done
running "$sim_pid" && fail "the unpacked stepdial-sim still runs 10 s after Form1 was closed"
status=0
wait "$sim_pid" || status=$?
sim_pid=""
[ "$status" -eq 0 ] || { cat "$work/sim.log" >&2; fail "stepdial-sim ended with status $status"; }
echo "package $(basename "$deb") checked"
