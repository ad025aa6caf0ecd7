#!/bin/sh
# Installs the build into a scratch prefix and checks what the desktop's
# application menu reads there: a valid entry with a Japanese name in the
# Engineering category, the program it runs, and its icon at every size.
#   desktop_entry_test.sh <cmake> <build folder>
set -eu
cmake=$1
build=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
"$cmake" --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "$*"; exit 1; }
entry=$prefix/share/applications/tolvane.desktop
[ -f "$entry" ] || fail "no desktop entry in share/applications"
report=$(desktop-file-validate "$entry" 2>&1) || fail "$report"
[ -z "$report" ] || fail "$report"
value() { sed -n "s/^$1=//p" "$entry"; }
value Name | grep -q 'ダイスプリング' || fail "the name is not Japanese: $(value Name)"
value Categories | grep -q '\(^\|;\)Engineering;' || fail "not in Engineering: $(value Categories)"
[ -x "$prefix/bin/$(value Exec | cut -d' ' -f1)" ] || fail "the entry runs no installed program: $(value Exec)"
for size in 16 24 32 48 64 128 256; do
  icon=$prefix/share/icons/hicolor/${size}x$size/apps/$(value Icon).png
  [ -f "$icon" ] || fail "no icon $icon"
  # A PNG's width and height stand in bytes 16-23.
  dims=$(od -An --endian=big -tu4 -j16 -N8 "$icon" | tr -s ' ')
  [ "$dims" = " $size $size" ] || fail "$icon is not $size x $size:$dims"
done
echo "desktop entry and icons installed"
