#!/usr/bin/env bash
# Cross-builds the project for Windows with mingw-w64 and runs its tests under Wine.
# Missing tools are a failure, not a skip: a green run must mean the Windows code was
# exercised.
# usage: run-cross-tests.sh ARCH SOURCE_DIR BUILD_DIR CMAKE CTEST   (ARCH: x86_64 or i686)
set -euo pipefail
arch=$1 source_dir=$2 build_dir=$3 cmake=$4 ctest=$5

fail() { echo "windows tests: $*" >&2; exit 1; }
for tool in x86_64-w64-mingw32-g++-posix i686-w64-mingw32-g++-posix; do
  command -v "$tool" >/dev/null || fail "$tool is missing (./scripts/install-deps installs it)"
done
# Debian's wine packages keep their loaders and server in /usr/lib/wine, off PATH;
# wine64 runs 64-bit programs, wine (the wine32 package) 32-bit ones.
loader=wine64
[ "$arch" = i686 ] && loader=wine
[ -x "/usr/lib/wine/$loader" ] || fail "/usr/lib/wine/$loader is missing (./scripts/install-deps installs it)"

"$cmake" -S "$source_dir" -B "$build_dir" -G Ninja \
  --toolchain "$source_dir/cmake/mingw-w64-$arch.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="-Wall -Wextra -Wpedantic -Werror" \
  -DSTEPDIAL_BUILD_GUI=OFF -DSTEPDIAL_BUILD_BENCH=OFF \
  -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST
"$cmake" --build "$build_dir" -j2
# The toolchain's test runner keeps a Wine server for the tree's prefix; it goes with us.
trap 'WINEPREFIX="$build_dir/wineprefix" /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true' EXIT
"$ctest" --test-dir "$build_dir" --output-on-failure --no-tests=error --timeout 300
