#!/usr/bin/env bash
# Takes the picture of the settings window for Windows in docs/: `stepdial.exe --settings`
# under Wine in a real X server, with the stand-in D2XX library listing one board (the
# first step of the USB board's end-to-end test, which takes it).
#
#   docs/port-settings-windows_screenshot.sh BUILD_DIR OUT.png
#
# BUILD_DIR is a 64-bit cross build with its tests, such as build-windows.
set -euo pipefail
build=$(realpath "$1")
exec bash "$(dirname "$(realpath "$0")")/../tests/win32/usb_board_e2e.sh" --loader /usr/lib/wine/wine64 --arch win64 \
    --program "$build/app/stepdial.exe" --stand-in "$build/tests/port_windows/usb_board/ftd2xx.dll" \
    --facts "$build/facts.env" --screenshot "$2"
