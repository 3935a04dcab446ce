#!/usr/bin/env bash
# Installs the build into a throw-away prefix and checks that a desktop finds
# the program, its menu entry and its icon at every size the way freedesktop
# menus look them up.
set -euo pipefail
cmake_command=$1
build=$2
prefix=$(mktemp -d "${TMPDIR:-/tmp}/sorvant-install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT
"$cmake_command" --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }
[ -x "$prefix/bin/sorvant" ] || fail "bin/sorvant is not installed"
desktop="$prefix/share/applications/sorvant.desktop"
[ -f "$desktop" ] || fail "sorvant.desktop is not installed"
# "Open With" hands the file over; a start from the menu, without one, is a plain start.
grep -qx 'Exec=sorvant --open %f' "$desktop" || fail "the menu entry does not start sorvant --open %f"
grep -qx 'Icon=sorvant' "$desktop" || fail "the menu entry does not name the sorvant icon"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "sorvant.desktop does not validate"
fi
for size in 16 24 32 48 64 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/sorvant.png"
  [ -f "$icon" ] || fail "no ${size}x${size} icon"
  # The PNG header: signature, then the IHDR width and height.
  [ "$(od -An -tx1 -N8 "$icon" | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "${size}x${size} icon is no PNG"
  width=$(od -An -tu1 -j16 -N4 "$icon" | awk '{print $1*16777216 + $2*65536 + $3*256 + $4}')
  height=$(od -An -tu1 -j20 -N4 "$icon" | awk '{print $1*16777216 + $2*65536 + $3*256 + $4}')
  [ "$width" = "$size" ] && [ "$height" = "$size" ] || fail "${size}x${size} icon is ${width}x${height}"
done
echo "install: program, menu entry and 7 icon sizes in place"
