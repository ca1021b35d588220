#!/usr/bin/env bash
# Cross-builds the project for 64-bit Windows with mingw-w64 and runs its tests under
# Wine. Missing tools are a failure, not a skip: a green run must mean the Windows
# backend was exercised.
# usage: run-cross-tests.sh SOURCE_DIR BUILD_DIR CMAKE CTEST
set -euo pipefail
source_dir=$1 build_dir=$2 cmake=$3 ctest=$4

fail() { echo "windows tests: $*" >&2; exit 1; }
for tool in x86_64-w64-mingw32-g++-posix i686-w64-mingw32-g++-posix; do
  command -v "$tool" >/dev/null || fail "$tool is missing (./scripts/install-deps installs it)"
done
# Debian's wine64 package keeps its loader and server in /usr/lib/wine, off PATH.
wine64=$(PATH=$PATH:/usr/lib/wine command -v wine64) || fail "wine64 is missing (./scripts/install-deps installs it)"
wineserver=$(PATH=/usr/lib/wine:$PATH command -v wineserver) || fail "wineserver is missing"

export WINEPREFIX="$build_dir/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"  # the server refuses a prefix folder that does not exist
# A persistent server started with its output on /dev/null: a server that a test
# program starts inherits that program's pipes and keeps them open after it exits,
# and CTest then waits for them forever.
"$wineserver" -p >/dev/null 2>&1 || fail "$wineserver could not start for $WINEPREFIX"
trap '"$wineserver" -k >/dev/null 2>&1 || true' EXIT
# The first start builds the prefix; do it now, not inside the first test's time.
"$wine64" wineboot >/dev/null 2>&1 || fail "wineboot could not set up $WINEPREFIX"

"$cmake" -S "$source_dir" -B "$build_dir/tree" -G Ninja \
  --toolchain "$source_dir/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="-Wall -Wextra -Wpedantic -Werror" \
  -DSTEPDIAL_BUILD_GUI=OFF -DSTEPDIAL_BUILD_BENCH=OFF \
  -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST
"$cmake" --build "$build_dir/tree" -j2
"$ctest" --test-dir "$build_dir/tree" --output-on-failure --no-tests=error --timeout 120
