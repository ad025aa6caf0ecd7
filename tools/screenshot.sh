#!/bin/sh
# Pictures every window in both skins on a virtual X display, checking them
# as the screen tests do (Qt's file dialog, the printer setup and the
# second-copy message among them), and the main window after the road of one
# use (kind, series, diameter, size, the die's data, the report).
#   tools/screenshot.sh [build folder] [picture folder]
# Needs Debian's xvfb and xauth, and a build with its tests.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
out=${2:-$here/build/screenshots}
case $out in /*) ;; *) out=$(pwd)/$out ;; esac
mkdir -p "$out"
on_x() {
  QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1040x760x24 -dpi 96" "$build/tests/tests_frame" "$@"
}
TOLVANE_SCREENSHOT_DIR=$out on_x \
  --gtest_filter='Skins/ScreensTest.*:RoadTest.FromKindToReportToTheEnd' >"$out/checks.txt" ||
  { cat "$out/checks.txt"; exit 1; }
ls "$out"/*.png
