#!/usr/bin/env bash
# Builds the Debian package from a built tree and checks it as a user would
# meet it: the files and Depends line, the programs run from the unpacked
# package, the desktop entry and AppStream data validate, the manual pages
# read and cover every option of --help, and lintian finds no error or
# warning. Runs as root or as any user; writes only below $TMPDIR.
#   package_test.sh BUILD_DIR VERSION SORVANT_EXPORT MAKE_SAMPLE_LOG
set -uo pipefail
build=$1 version=$2 exporter=$3 maker=$4

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
need() { command -v "$1" >/dev/null || { echo "FAIL: $1 is missing; scripts/install-deps.sh installs it"; exit 1; }; }
for tool in cpack dpkg-deb lintian desktop-file-validate appstreamcli man python3; do need "$tool"; done

work=$(mktemp -d "${TMPDIR:-/tmp}/package-test.XXXXXX")
trap 'rm -rf "$work"' EXIT

# --- the package builds, under the name users are told to install ------------
arch=$(dpkg --print-architecture)
deb=$work/out/sorvant_${version}_${arch}.deb
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  echo "FAIL: cpack could not build the package"
  exit 1
fi
[ -f "$deb" ] || { ls "$work/out"; echo "FAIL: no $deb"; exit 1; }

# --- its files -----------------------------------------------------------------
dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|' >"$work/files"
for f in /usr/bin/sorvant /usr/bin/sorvant-export \
         /usr/share/applications/sorvant.desktop \
         /usr/share/metainfo/org.example.sorvant.metainfo.xml \
         /usr/share/icons/hicolor/scalable/apps/sorvant.svg \
         /usr/share/man/man1/sorvant.1.gz /usr/share/man/man1/sorvant-export.1.gz \
         /usr/share/doc/sorvant/README.md /usr/share/doc/sorvant/copyright \
         /usr/share/doc/sorvant/changelog.gz; do
  grep -qxF "$f" "$work/files" || fail "the package lacks $f"
done
for size in 16 24 32 48 64 128 256; do
  grep -qxF "/usr/share/icons/hicolor/${size}x${size}/apps/sorvant.png" "$work/files" \
    || fail "the package lacks the ${size}x${size} icon"
done
grep -q 'make-sample-log' "$work/files" && fail "the sample-log maker is installed"
grep -v -e '^/usr/' -e '^/$' "$work/files" | grep . && fail "files outside /usr"
# Files belong to root, whoever built the package.
dpkg-deb -c "$deb" | awk '$2 != "root/root"' | grep . && fail "files not owned by root"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for p in libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 libqt6network6 libc6 \
         fonts-liberation2 fonts-wine; do
  [[ ", $depends," == *", $p "* || ", $depends," == *", $p,"* ]] || fail "Depends does not name $p"
done

# --- the programs run from the unpacked package ----------------------------------
root=$work/root
dpkg-deb -x "$deb" "$root"
for prog in sorvant sorvant-export; do
  got=$("$root/usr/bin/$prog" --version 2>&1)
  [ "$got" = "$prog $version" ] || fail "$prog --version printed '$got'"
  # Installed programs find only the system's libraries.
  readelf -d "$root/usr/bin/$prog" | grep -E 'RPATH|RUNPATH' && fail "$prog keeps a library search path"
done
"$maker" "$work/run.dat" --records 3000 --seed 7 >/dev/null || fail "make-sample-log failed"
"$root/usr/bin/sorvant-export" "$work/run.dat" --step 5 --csv "$work/installed.csv" \
  || fail "the installed sorvant-export could not convert a log"
"$exporter" "$work/run.dat" --step 5 --csv "$work/built.csv" || fail "the built sorvant-export failed"
cmp -s "$work/installed.csv" "$work/built.csv" || fail "the installed and built exporters write different CSV files"
[ "$(wc -l <"$work/installed.csv")" -eq 601 ] || fail "the CSV of 3000 records at step 5 is not a header and 600 rows"

# --- desktop entry, AppStream data, icons ------------------------------------------
desktop-file-validate "$root/usr/share/applications/sorvant.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.example.sorvant.metainfo.xml" \
  || fail "appstreamcli validate"
python3 - "$root/usr/share/icons/hicolor" <<'PY' || fail "an icon's pixels do not match its folder"
import struct, sys, pathlib
bad = 0
for png in pathlib.Path(sys.argv[1]).glob("*x*/apps/sorvant.png"):
    w, h = struct.unpack(">II", png.read_bytes()[16:24])
    if f"{w}x{h}" != png.parts[-3]:
        print(f"{png}: {w}x{h}"); bad = 1
sys.exit(bad)
PY

# The version stands in three places besides the build; they move together.
changelog_version=$(zcat "$root/usr/share/doc/sorvant/changelog.gz" | sed -n '1s/^sorvant (\([^)]*\)).*/\1/p')
[ "$changelog_version" = "$version" ] || fail "the changelog's newest entry is '$changelog_version', not $version"
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/org.example.sorvant.metainfo.xml" \
  || fail "the AppStream data has no release $version"

# --- manual pages --------------------------------------------------------------------
for prog in sorvant sorvant-export; do
  page=$root/usr/share/man/man1/$prog.1.gz
  if ! MANWIDTH=80 man --warnings -l "$page" >"$work/$prog.txt" 2>"$work/$prog.warnings"; then
    fail "man could not show $prog(1)"
  fi
  [ -s "$work/$prog.warnings" ] && { cat "$work/$prog.warnings"; fail "groff warns about $prog(1)"; }
  # Every option that --help names is in the manual.
  for option in $("$root/usr/bin/$prog" --help | grep -oE -- '(^|[ ,])--?[a-z0-9][a-z0-9-]*' | tr -d ' ,' | sort -u); do
    grep -qF -- "$option" "$work/$prog.txt" || fail "$prog(1) does not mention $option"
  done
  # Example commands stand whole on their lines, ready to copy.
  while IFS= read -r example; do
    grep -qF -- "$example" "$work/$prog.txt" || fail "$prog(1) breaks the example '$example'"
  done < <("$root/usr/bin/$prog" --help | sed -n 's/^ *\(\$ .*\)/\1/p')
done
for heading in SYNOPSIS OPTIONS "EXIT STATUS" ENVIRONMENT EXAMPLES "SEE ALSO"; do
  grep -qx "$heading" "$work/sorvant-export.txt" || fail "sorvant-export(1) has no $heading section"
done
for text in FILES Sorvant.reg DataLogPrinterSettings.ini 'Sorvant-UID' "SEE ALSO"; do
  grep -qF "$text" "$work/sorvant.txt" || fail "sorvant(1) does not mention $text"
done

# --- lintian: no error and no warning ----------------------------------------------------
lintian --fail-on error,warning -I "$deb" >"$work/lintian.log" 2>&1
status=$?
grep -v 'running with root privileges' "$work/lintian.log"
[ $status -eq 0 ] || fail "lintian reports errors or warnings"

if [ $failures -ne 0 ]; then
  echo "$failures checks failed"
  exit 1
fi
echo "package $deb: all checks passed"
