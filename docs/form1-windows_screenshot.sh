#!/usr/bin/env bash
# Takes the picture of Form1 for Windows in docs/: the installed program under Wine in a
# real X server, after the operator has typed 90 and pressed the start button (the first
# move of the end-to-end test, which takes it).
#
#   docs/form1-windows_screenshot.sh BUILD_DIR OUT.png
#
# BUILD_DIR is a 64-bit cross build with its tests, such as build-windows.
set -euo pipefail
build=$(realpath "$1")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
exec bash "$(dirname "$(realpath "$0")")/../tests/win32/stepdial_e2e.sh" --loader /usr/lib/wine/wine64 --arch win64 \
    --stand-in "$build/tests/port_windows/beside/inpoutx64.dll" \
    --setup "$build/stepdial-setup.exe" --version "$version" --squatter "$build/tests/win32/stepdial_squatter.exe" \
    --facts "$build/facts.env" --screenshot "$2"
