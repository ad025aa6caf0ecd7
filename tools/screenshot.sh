#!/bin/sh
# Pictures the main window after the road of one use (kind, series,
# diameter, size, the die's data, the report) on a virtual X display.
#   tools/screenshot.sh [build folder] [picture.png] [Light|Dark]
# Needs Debian's xvfb and xauth, and a build with its tests.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
out=${2:-$here/build/screenshot.png}
skin=${3:-Dark}
case $out in /*) ;; *) out=$(pwd)/$out ;; esac
TOLVANE_SCREENSHOT=$out TOLVANE_SCREENSHOT_SKIN=$skin QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1040x760x24 -dpi 96" \
  "$build/tests/tests_frame" --gtest_also_run_disabled_tests \
  --gtest_filter='RoadTest.DISABLED_ScreenshotAfterTheRoad' >/dev/null
echo "$out"
